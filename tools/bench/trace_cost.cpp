// What one trace line costs with the trace settings and viewer of the moment: traces COUNT
// blue lines and prints the mean time per line in microseconds.
//   bench_trace_cost COUNT
#include "trace.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    if (count <= 0)
        return 2;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < count; ++i)
        Trace("Voxtarion address:40000010", kTraceBlue);
    QueryPerformanceCounter(&end);
    const double micros = 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
                          static_cast<double>(frequency.QuadPart) / count;
    std::printf("trace line %.1f us\n", micros);
    return 0;
}
