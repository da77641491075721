#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <utility>

// Every field of a contact record, described once: every pass over a record's fields (the data
// file, fingerprints, duplicate checks, merges, the command line, dump) walks this table rather
// than naming the fields itself, so that a field is added or changed in one place.
//
// The 21 texts come first, in the order they lie in the record; a text's value is its
// position there (CContactRecord::Text). The record's numbers follow.
enum class RecordField : std::uint8_t {
    FirstName,
    LastName,
    Title,
    OtherRef,
    Item1,
    Item2,
    Item3,
    Item4,
    Item5,
    Item6,
    Item7,
    Address,
    City,
    State,
    Zip,
    Country,
    OtherInfo1,
    OtherInfo2,
    OtherInfo3,
    OtherInfo4,
    Notes,
    Category,
    DefaultItem,
    ItemLabel1,
    ItemLabel2,
    ItemLabel3,
    ItemLabel4,
    ItemLabel5,
    ItemLabel6,
    ItemLabel7,
};

// What a field holds, and so how it is read, shown and merged.
enum class FieldKind : std::uint8_t {
    Name,        // a line of the name: first, last, title, other reference
    Item,        // one of the seven phone numbers, e-mail addresses and the like
    Address,     // the street address, several lines
    Place,       // one line of the address: city, state, zip, country
    OtherInfo,   // one of the four free lines
    Notes,       // free text, several lines
    Category,    // the index of the record's category
    DefaultItem, // which item is shown first (0 to 6)
    ItemLabel,   // the label code of an item
};

struct FieldInfo {
    RecordField field;
    FieldKind kind;
    // The name by which export and import address the value. Items are addressed by a label
    // rather than by their place: an item's row names the column of its slot in the export's
    // own order of labels, with the label code that column stands for.
    std::string_view name;
    // The command line option that sets the field; empty for a part of a group (--item,
    // --other-info) and for the category, which are set by their own options.
    std::string_view option;
    // The member of the record in dump's JSON; empty for a part of a group.
    std::string_view key;
    // Which item or other info line the field is (0 on); 0 for every other field.
    std::uint8_t slot = 0;
    // For an item, the label code its export column stands for.
    std::uint8_t label = 0xFF;
};

inline constexpr std::size_t kTextFieldCount = 21;
inline constexpr std::size_t kRecordFieldCount = 30;
inline constexpr std::size_t kItemSlots = 7;
inline constexpr std::size_t kOtherInfoSlots = 4;

inline constexpr std::array<FieldInfo, kRecordFieldCount> kRecordFields = {{
    {RecordField::FirstName, FieldKind::Name, "First Name", "--first", "firstName"},
    {RecordField::LastName, FieldKind::Name, "Last Name", "--last", "lastName"},
    {RecordField::Title, FieldKind::Name, "Title", "--title", "title"},
    {RecordField::OtherRef, FieldKind::Name, "Other Ref", "--other-ref", "otherRef"},
    // The label codes: 0 home, 1 work, 2 mobile, 3 pager, 4 fax, 5 e-mail, 6 other.
    {RecordField::Item1, FieldKind::Item, "Home", {}, {}, 0, 0},
    {RecordField::Item2, FieldKind::Item, "Work", {}, {}, 1, 1},
    {RecordField::Item3, FieldKind::Item, "Pager", {}, {}, 2, 3},
    {RecordField::Item4, FieldKind::Item, "Mobile", {}, {}, 3, 2},
    {RecordField::Item5, FieldKind::Item, "FAX", {}, {}, 4, 4},
    {RecordField::Item6, FieldKind::Item, "E-Mail", {}, {}, 5, 5},
    {RecordField::Item7, FieldKind::Item, "Other", {}, {}, 6, 6},
    {RecordField::Address, FieldKind::Address, "Address", "--address", "address"},
    {RecordField::City, FieldKind::Place, "City", "--city", "city"},
    {RecordField::State, FieldKind::Place, "State", "--state", "state"},
    {RecordField::Zip, FieldKind::Place, "Zip", "--zip", "zip"},
    {RecordField::Country, FieldKind::Place, "Country", "--country", "country"},
    {RecordField::OtherInfo1, FieldKind::OtherInfo, "Other Info 1st", {}, {}, 0},
    {RecordField::OtherInfo2, FieldKind::OtherInfo, "Other Info 2nd", {}, {}, 1},
    {RecordField::OtherInfo3, FieldKind::OtherInfo, "Other Info 3rd", {}, {}, 2},
    {RecordField::OtherInfo4, FieldKind::OtherInfo, "Other Info 4th", {}, {}, 3},
    {RecordField::Notes, FieldKind::Notes, "Notes", "--notes", "notes"},
    {RecordField::Category, FieldKind::Category, "Category", {}, "category"},
    {RecordField::DefaultItem, FieldKind::DefaultItem, {}, {}, "defaultItem"},
    {RecordField::ItemLabel1, FieldKind::ItemLabel, {}, {}, {}, 0},
    {RecordField::ItemLabel2, FieldKind::ItemLabel, {}, {}, {}, 1},
    {RecordField::ItemLabel3, FieldKind::ItemLabel, {}, {}, {}, 2},
    {RecordField::ItemLabel4, FieldKind::ItemLabel, {}, {}, {}, 3},
    {RecordField::ItemLabel5, FieldKind::ItemLabel, {}, {}, {}, 4},
    {RecordField::ItemLabel6, FieldKind::ItemLabel, {}, {}, {}, 5},
    {RecordField::ItemLabel7, FieldKind::ItemLabel, {}, {}, {}, 6},
}};

constexpr const FieldInfo& InfoOf(RecordField f) {
    return kRecordFields[static_cast<std::size_t>(f)];
}
constexpr bool IsText(RecordField f) {
    return static_cast<std::size_t>(f) < kTextFieldCount;
}
constexpr bool IsMultiLine(RecordField f) {
    return InfoOf(f).kind == FieldKind::Address || InfoOf(f).kind == FieldKind::Notes;
}
constexpr RecordField ItemField(std::size_t slot) {
    return static_cast<RecordField>(static_cast<std::size_t>(RecordField::Item1) + slot);
}
constexpr RecordField ItemLabelField(std::size_t slot) {
    return static_cast<RecordField>(static_cast<std::size_t>(RecordField::ItemLabel1) + slot);
}
constexpr RecordField OtherInfoField(std::size_t slot) {
    return static_cast<RecordField>(static_cast<std::size_t>(RecordField::OtherInfo1) + slot);
}

// The order of the data file: the last name before the first, the seven labels after the seven
// items. Changing it changes the file format.
inline constexpr std::array<RecordField, kRecordFieldCount> kFileOrder = {
    RecordField::LastName,   RecordField::FirstName,  RecordField::Title,
    RecordField::OtherRef,   RecordField::Category,   RecordField::DefaultItem,
    RecordField::Item1,      RecordField::Item2,      RecordField::Item3,
    RecordField::Item4,      RecordField::Item5,      RecordField::Item6,
    RecordField::Item7,      RecordField::ItemLabel1, RecordField::ItemLabel2,
    RecordField::ItemLabel3, RecordField::ItemLabel4, RecordField::ItemLabel5,
    RecordField::ItemLabel6, RecordField::ItemLabel7, RecordField::Address,
    RecordField::City,       RecordField::State,      RecordField::Zip,
    RecordField::Country,    RecordField::OtherInfo1, RecordField::OtherInfo2,
    RecordField::OtherInfo3, RecordField::OtherInfo4, RecordField::Notes,
};

// The order of a record's fingerprint: each label follows its item. The fingerprints in the
// files beside the book were made in this order; changing it makes every record look edited.
inline constexpr std::array<RecordField, kRecordFieldCount> kFingerprintOrder = {
    RecordField::FirstName,  RecordField::LastName,   RecordField::Title,
    RecordField::OtherRef,   RecordField::Category,   RecordField::DefaultItem,
    RecordField::Item1,      RecordField::ItemLabel1, RecordField::Item2,
    RecordField::ItemLabel2, RecordField::Item3,      RecordField::ItemLabel3,
    RecordField::Item4,      RecordField::ItemLabel4, RecordField::Item5,
    RecordField::ItemLabel5, RecordField::Item6,      RecordField::ItemLabel6,
    RecordField::Item7,      RecordField::ItemLabel7, RecordField::Address,
    RecordField::City,       RecordField::State,      RecordField::Zip,
    RecordField::Country,    RecordField::OtherInfo1, RecordField::OtherInfo2,
    RecordField::OtherInfo3, RecordField::OtherInfo4, RecordField::Notes,
};

namespace kb::fields {

template <const auto& Order, class Fn, std::size_t... I>
constexpr void Expand(Fn&& fn, std::index_sequence<I...>) {
    (fn(std::integral_constant<RecordField, Order[I]>{}), ...);
}

// Whether every field appears once in an order.
constexpr bool IsPermutation(const std::array<RecordField, kRecordFieldCount>& order) {
    std::array<bool, kRecordFieldCount> seen{};
    for (const RecordField f : order) {
        if (seen[static_cast<std::size_t>(f)])
            return false;
        seen[static_cast<std::size_t>(f)] = true;
    }
    return true;
}

constexpr bool RowsInPlace() {
    for (std::size_t i = 0; i < kRecordFieldCount; ++i) {
        if (static_cast<std::size_t>(kRecordFields[i].field) != i)
            return false;
    }
    return true;
}

} // namespace kb::fields

static_assert(kb::fields::RowsInPlace(), "a field's row stands at the field's value");
static_assert(kb::fields::IsPermutation(kFileOrder));
static_assert(kb::fields::IsPermutation(kFingerprintOrder));

// Calls fn once for each field of Order with the field as a compile-time constant
// (std::integral_constant<RecordField, F>), so that a pass over the fields costs what the same
// pass written out by hand costs.
template <const auto& Order, class Fn> constexpr void ForEachField(Fn&& fn) {
    kb::fields::Expand<Order>(
        fn, std::make_index_sequence<std::tuple_size_v<std::remove_cvref_t<decltype(Order)>>>{});
}
