# The status with which a test says it did not run: tests/support/wine-run ends so for a 32-bit
# program on a machine that runs none, compare_flavours.py when the other build is missing.
set(MOKACOMM_SKIPPED 77)
