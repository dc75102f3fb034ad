#include "ldif_problem.h"

std::string LdifProblemText(const std::string& file, const LdifProblem& problem) {
    if (problem.line == 0)
        return file + ": " + problem.what;
    return file + ", line " + std::to_string(problem.line) + ": " + problem.what;
}
