#pragma once
#include "model/CCategoryList.h"
#include "model/CRecordList.h"
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Made-up but realistic contacts for trying the program out, screenshots and benchmarks:
// names from a built-in list (a few of them non-ASCII, in UTF-8), the default categories
// and some made by the user, phone numbers and e-mail addresses under mixed labels,
// addresses, other information and notes with CR LF line breaks, and now and then a
// contact whose name repeats an earlier one. The same seed always gives the same book,
// on every platform (the generator does its own arithmetic).
class CSampleBook {
public:
    explicit CSampleBook(std::uint64_t seed);

    // The category names in list order, "Unfiled" first.
    static const std::vector<const char*>& CategoryNames();
    // The next contact, not yet filed.
    std::unique_ptr<CContactRecord> Next();
    // Replaces categories and records with a book of count contacts, filed in order with
    // duplicates numbered as the filing rule numbers them.
    void Fill(CCategoryList& categories, CRecordList& records, std::size_t count);

private:
    std::uint64_t Random();
    std::size_t Pick(std::size_t n) { return static_cast<std::size_t>(Random() % n); }
    bool Chance(int percent) { return Pick(100) < static_cast<std::size_t>(percent); }
    std::string Phone();

    std::uint64_t m_state;
    std::size_t m_nMade = 0;
    // Earlier names, some of which come back as duplicates.
    std::vector<std::pair<std::string, std::string>> m_recent;
};
