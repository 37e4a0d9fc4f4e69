/* The null-modem wiring between the two ends of a pair: our DTR drives the peer's DSR and DCD,
 * our RTS drives the peer's CTS, and RING and DCD can be forced at either end. */
#ifndef MOKACOMM_RIG_CABLE_H
#define MOKACOMM_RIG_CABLE_H

#include "rig_state.h"

/* COM number of the live or vanished end whose pty is major:minor; 0 when there is none. */
unsigned rig_find(const struct rig_lines *lines, uint32_t major, uint32_t minor);

/* TIOCM_* bits of end com: its own DTR and RTS plus the inputs the cable gives it. */
uint32_t rig_modem_bits(const struct rig_lines *lines, unsigned com);

/* Sets the outputs (TIOCM_DTR, TIOCM_RTS) of com to (outputs & ~clear) | set; the peer counts
 * each of its inputs that changes. */
void rig_drive(struct rig_lines *lines, unsigned com, uint32_t clear, uint32_t set);

/* Sets the forced inputs (RIG_FORCE_*) of com the same way; com counts the changes. */
void rig_force(struct rig_lines *lines, unsigned com, uint32_t clear, uint32_t set);

/* Starts or ends a break sent by com: the peer counts one break when it starts. */
void rig_hold_break(struct rig_lines *lines, unsigned com, int on);

/* A timed break sent by com (tcsendbreak): the peer counts one break. */
void rig_send_break(struct rig_lines *lines, unsigned com);

/* One event (a break, a framing, parity or overrun error) arriving at com. */
void rig_count(struct rig_lines *lines, unsigned com, enum rig_counter counter);

#endif
