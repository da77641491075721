#include "model/CRecordExtras.h"
#include <algorithm>
#include <utility>

const VCardProperty* CRecordExtras::FindShown(std::string_view name) const {
    for (const VCardProperty& p : properties) {
        if (!p.held && p.name == name)
            return &p;
    }
    return nullptr;
}

VCardProperty* CRecordExtras::FindShown(std::string_view name) {
    return const_cast<VCardProperty*>(std::as_const(*this).FindShown(name));
}

bool operator==(const VCardParam& a, const VCardParam& b) {
    return a.name == b.name && a.values == b.values;
}

bool SameKeptProperty(const VCardProperty& a, const VCardProperty& b) {
    return a.held == b.held && a.binary == b.binary && a.group == b.group && a.name == b.name &&
           a.value == b.value && a.params == b.params;
}

bool CRecordExtras::operator==(const CRecordExtras& other) const {
    return std::equal(properties.begin(), properties.end(), other.properties.begin(),
                      other.properties.end(), SameKeptProperty);
}
