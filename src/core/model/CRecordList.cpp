#include "model/CRecordList.h"
#include "model/CArchive.h"

void SerializeRecords(CArchive& ar, CRecordList& records) {
    if (ar.IsStoring()) {
        ar.WriteCount(records.size());
        for (std::size_t i = 0; i < records.size(); ++i) {
            FetchAhead(records, i);
            ar.WriteObjectTag(kContactRecordClass);
            records[i]->Serialize(ar);
        }
        return;
    }
    // No reserve: the count comes from the file and may be a lie.
    const std::uint32_t count = ar.ReadCount();
    for (std::uint32_t i = 0; i < count; ++i) {
        ar.ReadObjectTag(kContactRecordClass);
        auto record = std::make_unique<CContactRecord>();
        record->Serialize(ar);
        records.push_back(std::move(record));
    }
}
