#pragma once
#include "MemoryBytes.h"
#include "model/CArchive.h"
#include "model/CCategoryList.h"
#include "model/CRecordList.h"
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

// Hex helpers and whole-book round trips through the archive in memory.

// "01 00 ff" -> the three bytes (blanks are ignored).
inline std::string HexBytes(std::string_view hex) {
    std::string out;
    int high = -1;
    for (char c : hex) {
        int v = -1;
        if (c >= '0' && c <= '9')
            v = c - '0';
        else if (c >= 'a' && c <= 'f')
            v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            v = c - 'A' + 10;
        if (v < 0)
            continue;
        if (high < 0) {
            high = v;
        } else {
            out += static_cast<char>(high * 16 + v);
            high = -1;
        }
    }
    return out;
}

// The bytes as "01 00 FF", for readable failures.
inline std::string ToHex(std::string_view bytes) {
    std::string out;
    char b[4];
    for (char c : bytes) {
        std::snprintf(b, sizeof b, "%02X", static_cast<unsigned char>(c));
        if (!out.empty())
            out += ' ';
        out += b;
    }
    return out;
}

inline std::string WriteBook(CCategoryList& categories, CRecordList& records) {
    MemorySink sink;
    CArchive ar(sink);
    categories.SerializeCategories(ar);
    SerializeRecords(ar, records);
    ar.Flush();
    return sink.bytes;
}

// Reads a book the way the document does; the archive fault, if any.
inline std::optional<CArchiveException::Cause> ReadBook(const std::string& bytes,
                                                        CCategoryList& categories,
                                                        CRecordList& records,
                                                        std::size_t chunk = 0) {
    MemorySource source(bytes, chunk);
    CArchive ar(source);
    try {
        categories.SerializeCategories(ar);
        SerializeRecords(ar, records);
        ar.ReadEnd();
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return std::nullopt;
}
