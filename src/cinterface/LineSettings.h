// The line settings as plain numbers (MOKACOMM_SETTINGS), for languages without bit-fields, to and
// from the platform's DCB.
#ifndef MOKACOMM_LINE_SETTINGS_H
#define MOKACOMM_LINE_SETTINGS_H

#include "base/Win32.h"

#include "MokacommC.h"

// What `dcb` holds, its flow control as the kinds that it has whole. The size is left alone.
void ReadLineSettings(const DCB& dcb, MOKACOMM_SETTINGS& settings);

// `dcb` changed as `settings` ask: the speed and framing, and the flow control kinds asked turned
// on, those that were on and are not asked turned off. No other field changes.
void WriteLineSettings(const MOKACOMM_SETTINGS& settings, DCB& dcb);

#endif
