#pragma once
#include "model/CContactRecord.h"
#include <memory>
#include <vector>

// The document's records in filing order. The list owns its records; everyone
// else refers to them by pointer, which stays valid while the record is in the list.
using CRecordList = std::vector<std::unique_ptr<CContactRecord>>;
