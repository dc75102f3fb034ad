// Which steps of a progress bar change what it draws.
#ifndef TARN_BAR_FILL_H
#define TARN_BAR_FILL_H

// True when a bar whose filling is width pixels long when full draws position to differently
// from position from (positions in lower..upper, outside values held at the ends): the filled
// length changes, rounded down or to the nearest pixel, as controls do either. Always true
// when the width or the range is empty, as nothing tells then.
bool BarDrawingChanges(int from, int to, int lower, int upper, int width);

#endif
