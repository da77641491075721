#include "sync/FirstMerge.h"

namespace kb::sync {
namespace {

std::string Count(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

std::string FirstMergeQuestion(const CSyncState& state, const std::string& url, std::size_t here,
                               std::size_t there, const std::string& bookName,
                               const std::string& host) {
    if (state.HasSyncedWith(url) || here == 0 || there == 0)
        return {};
    return "This book has " + Count(here, "contact", "contacts") + " and the address book '" +
           bookName + "' on " + host + " has " + Count(there, "card", "cards") +
           ". They have never been synced with each other.\n\nMerge them? Each side then "
           "holds the contacts of both.";
}

} // namespace kb::sync
