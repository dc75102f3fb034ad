// Which steps of a progress bar change what it draws, and how the bar is moved so that it
// draws a step at once.
#ifndef TARN_BAR_FILL_H
#define TARN_BAR_FILL_H

#include <vector>

// True when a bar whose filling is width pixels long when full draws position to differently
// from position from (positions in lower..upper, outside values held at the ends): the end
// of the filling moves. The control places it as MulDiv places it, to the nearest pixel; a
// bar drawn in blocks changes at some of those steps only. Always true when the width or the
// range is empty, as nothing tells then.
bool BarDrawingChanges(int from, int to, int lower, int upper, int width);

// One message to the bar: a new position (first), or a new range (first to second).
struct BarMove {
    enum Kind { Position, Range } kind;
    int first;
    int second;
    bool operator==(const BarMove& other) const {
        return kind == other.kind && first == other.first && second == other.second;
    }
};

// The messages that bring a bar to position. An animated (themed) bar draws an advance over
// time, on a timer that only a message loop would run, but a move back at once: so it goes
// one past the position and back, at the top of the range within a range one wider for the
// moment. Any other bar is just set to the position.
std::vector<BarMove> MovesToShow(int position, int lower, int upper, bool animated);

#endif
