// Why a file of a publication cannot be used, and where: the line of the file (from 1) at which
// reading it stopped, 0 where the whole file is at fault. Platform-free.
#ifndef TARN_LDIF_PROBLEM_H
#define TARN_LDIF_PROBLEM_H

#include <string>

struct LdifProblem {
    unsigned long line = 0;
    std::string what;
};

// "file, line 12: what", or "file: what" for line 0.
std::string LdifProblemText(const std::string& file, const LdifProblem& problem);

#endif
