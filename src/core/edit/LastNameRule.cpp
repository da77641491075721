#include "edit/LastNameRule.h"
#include "model/UnicodeText.h"

LastNameProblem CheckLastName(std::string_view lastName) {
    if (lastName.empty())
        return LastNameProblem::Missing;
    return kb::IsLetter(kb::FirstCodePoint(lastName)) ? LastNameProblem::None
                                                      : LastNameProblem::NotALetter;
}
