// Conversion of the stored PortNumber text.
#ifndef TARN_PORT_NUMBER_H
#define TARN_PORT_NUMBER_H

// The standard decimal conversion: leading white space skipped, one optional sign, then
// digits up to the first other character; no digits give 0. There is no range check: a
// number beyond the int range wraps instead of being undefined.
int ParsePortNumber(const char* text);

#endif
