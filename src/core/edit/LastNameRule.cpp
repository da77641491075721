#include "edit/LastNameRule.h"

LastNameProblem CheckLastName(std::string_view lastName) noexcept {
    if (lastName.empty())
        return LastNameProblem::Missing;
    const char c = lastName.front();
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
        return LastNameProblem::None;
    return LastNameProblem::NotALetter;
}
