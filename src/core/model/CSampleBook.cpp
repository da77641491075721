#include "model/CSampleBook.h"
#include "edit/CRecordFiler.h"
#include <array>
#include <string>

namespace {

constexpr std::array kFirstNames = {
    "James",    "Mary",      "Robert",  "Patricia", "John",    "Jennifer", "Michael", "Linda",
    "David",    "Elizabeth", "William", "Barbara",  "Richard", "Susan",    "Joseph",  "Jessica",
    "Thomas",   "Sarah",     "Charles", "Karen",    "Daniel",  "Lisa",     "Matthew", "Nancy",
    "Anthony",  "Betty",     "Mark",    "Margaret", "Paul",    "Sandra",   "Steven",  "Ashley",
    "Andrew",   "Emily",     "Kenneth", "Donna",    "Joshua",  "Michelle", "Kevin",   "Carol",
    "Brian",    "Amanda",    "George",  "Melissa",  "Edward",  "Deborah",  "Ronald",  "Stephanie",
    "Timothy",  "Rebecca",   "Jason",   "Laura",    "Ryan",    "Helen",    "Gary",    "Anna",
    "Nicholas", "Ann",       "Eric",    "Kathleen", "Peter",   "Grace",    "Samuel",  "Ruth",
};

constexpr std::array kLastNames = {
    "Smith",    "Johnson",   "Williams",   "Brown",      "Jones",    "Garcia",   "Miller",
    "Davis",    "Rodriguez", "Martinez",   "Hernandez",  "Lopez",    "Gonzalez", "Wilson",
    "Anderson", "Thomas",    "Taylor",     "Moore",      "Jackson",  "Martin",   "Lee",
    "Perez",    "Thompson",  "White",      "Harris",     "Sanchez",  "Clark",    "Ramirez",
    "Lewis",    "Robinson",  "Walker",     "Young",      "Allen",    "King",     "Wright",
    "Scott",    "Torres",    "Nguyen",     "Hill",       "Flores",   "Green",    "Adams",
    "Nelson",   "Baker",     "Hall",       "Rivera",     "Campbell", "Mitchell", "Carter",
    "Roberts",  "O'Brien",   "McAllister", "Fitzgerald", "Van Dyke", "De Luca",  "Okafor",
    "Kowalski", "Novak",     "Petrov",     "Tanaka",     "Yamamoto", "Chen",     "Wang",
    "Singh",    "Patel",     "Kim",        "Park",       "Olsen",    "Larsen",   "Schmidt",
    "Fischer",  "Weber",     "Rossi",      "Russo",      "Dubois",   "Laurent",  "Murphy",
    "Kelly",    "Sullivan",  "Walsh",      "Byrne",      "Ryan",     "Price",    "Bennett",
    "Wood",     "Barnes",    "Ross",       "Henderson",  "Coleman",  "Jenkins",  "Perry",
};

// A few names in UTF-8, as the window writes them.
constexpr std::array kForeignFirstNames = {"Jos\xC3\xA9",  "Zo\xC3\xAB", "Fran\xC3\xA7ois",
                                           "S\xC3\xB8ren", "\xC3\x85sa", "Bj\xC3\xB6rn"};
constexpr std::array kForeignLastNames = {"M\xC3\xBCller",
                                          "N\xC3\xBA\xC3\xB1"
                                          "ez",
                                          "\xC3\x98"
                                          "deg\xC3\xA5rd",
                                          "Gon\xC3\xA7"
                                          "alves",
                                          "Br\xC3\xA4ndstr\xC3\xB6m",
                                          "Dvo\xC5\x99\xC3\xA1k"};

constexpr std::array kTitles = {
    "Dr.",      "Sales Manager", "Accountant", "Prof.",          "Engineer",
    "Attorney", "Nurse",         "Teacher",    "Office Manager", "Director of Operations",
    "Plumber",  "Dentist",       "Architect",  "Pastor"};

constexpr std::array kStreets = {
    "Oak Street",       "Maple Avenue",   "Cedar Lane",     "Park Road", "Elm Street",
    "Washington Blvd",  "Lakeview Drive", "Hillcrest Road", "Mill Lane", "Church Street",
    "Sunset Boulevard", "River Road",     "Highland Avenue"};

struct Place {
    const char* city;
    const char* state;
    const char* zipPrefix;
    const char* country;
};

constexpr std::array kPlaces = {
    Place{"Springfield", "IL", "627", ""},   Place{"Portland", "OR", "972", ""},
    Place{"Austin", "TX", "787", ""},        Place{"Columbus", "OH", "432", ""},
    Place{"Madison", "WI", "537", ""},       Place{"Raleigh", "NC", "276", ""},
    Place{"Denver", "CO", "802", ""},        Place{"Boston", "MA", "021", ""},
    Place{"Seattle", "WA", "981", ""},       Place{"Tucson", "AZ", "857", ""},
    Place{"Toronto", "ON", "M5V", "Canada"}, Place{"Manchester", "", "M1", "United Kingdom"},
    Place{"Hamburg", "", "20", "Germany"},   Place{"Melbourne", "VIC", "30", "Australia"},
};

constexpr std::array kCompanies = {
    "Acme Supply",      "Northwind Traders", "Blue Ridge Insurance", "Harbor Dental",
    "Pinecrest Realty", "Summit Accounting", "Riverside Clinic",     "Evergreen Landscaping"};

constexpr std::array kNotes = {
    "Prefers calls after 6 pm.",
    "Met at the spring trade fair.\r\nFollow up about the catalogue.",
    "Allergic to peanuts.",
    "Owes me a lunch.",
    "Kids: Emma and Noah.\r\nDog: Biscuit.",
    "Spare key is with the neighbours.\r\nAlarm code changes every spring.\r\nCall first.",
    "Sends a Christmas card every year.",
    "Ask about the cabin rental for August.",
};

constexpr std::array kMonths = {"January",   "February", "March",    "April",
                                "May",       "June",     "July",     "August",
                                "September", "October",  "November", "December"};

// Category list: the defaults, then some the user made. Weights in percent.
const std::vector<const char*> kCategories = {"Unfiled", "Business",  "Personal", "Family",
                                              "Friends", "Suppliers", "Book Club"};
constexpr std::array<int, 7> kCategoryWeights = {5, 30, 20, 15, 15, 10, 5};

template <class A> const char* Of(const A& list, std::size_t i) {
    return list[i % list.size()];
}

std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        else if (c == ' ' || c == '\'')
            c = '-';
    }
    return s;
}

bool IsAscii(const std::string& s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

CSampleBook::CSampleBook(std::uint64_t seed) : m_state(seed) {}

const std::vector<const char*>& CSampleBook::CategoryNames() {
    return kCategories;
}

std::uint64_t CSampleBook::Random() {
    // splitmix64: small, fast and the same everywhere.
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::string CSampleBook::Phone() {
    const std::size_t area = 200 + Pick(800);
    const std::size_t line = Pick(10000);
    std::string s = "(" + std::to_string(area) + ") 555-";
    const std::string digits = std::to_string(line);
    return s + std::string(4 - digits.size(), '0') + digits;
}

std::unique_ptr<CContactRecord> CSampleBook::Next() {
    auto r = std::make_unique<CContactRecord>();
    ++m_nMade;

    if (!m_recent.empty() && Chance(3)) {
        // The same person entered twice: the filing rule numbers the second.
        const auto& again = m_recent[Pick(m_recent.size())];
        r->m_strLastName = again.first;
        r->m_strFirstName = again.second;
    } else {
        r->m_strFirstName = Chance(4) ? Of(kForeignFirstNames, Pick(kForeignFirstNames.size()))
                                      : Of(kFirstNames, Pick(kFirstNames.size()));
        r->m_strLastName = Chance(4) ? Of(kForeignLastNames, Pick(kForeignLastNames.size()))
                                     : Of(kLastNames, Pick(kLastNames.size()));
        if (Chance(8))
            r->m_strFirstName.clear(); // a company or a person known by surname only
    }
    if (m_recent.size() < 64)
        m_recent.emplace_back(r->m_strLastName, r->m_strFirstName);
    else
        m_recent[Pick(m_recent.size())] = {r->m_strLastName, r->m_strFirstName};

    std::size_t roll = Pick(100);
    std::uint16_t category = 0;
    while (roll >= static_cast<std::size_t>(kCategoryWeights[category])) {
        roll -= static_cast<std::size_t>(kCategoryWeights[category]);
        ++category;
    }
    r->m_nCategory = category;

    if (Chance(40))
        r->m_strTitle = Of(kTitles, Pick(kTitles.size()));
    if (category == 1 || category == 5 || Chance(10))
        r->m_strOtherRef = Of(kCompanies, Pick(kCompanies.size()));

    const std::string mailName =
        IsAscii(r->m_strFirstName + r->m_strLastName)
            ? Lower(r->m_strFirstName.empty() ? r->m_strLastName
                                              : r->m_strFirstName + "." + r->m_strLastName)
            : "contact" + std::to_string(m_nMade);
    const std::array<const char*, 4> domains = {"example.com", "example.org", "mail.example.net",
                                                "work.example.com"};
    const std::size_t items = 1 + Pick(5);
    for (std::size_t i = 0; i < items; ++i) {
        std::uint8_t label = static_cast<std::uint8_t>(Pick(7));
        if (i == 0 && Chance(60))
            label = Chance(50) ? LABEL_HOME : LABEL_MOBILE;
        r->m_nItemLabel[i] = label;
        if (label == LABEL_EMAIL)
            r->m_strItem[i] = mailName + "@" + Of(domains, Pick(domains.size()));
        else if (label == LABEL_OTHER && Chance(50))
            r->m_strItem[i] = "www." + Lower(Of(kCompanies, Pick(kCompanies.size()))) + ".example";
        else
            r->m_strItem[i] =
                Phone() +
                (label == LABEL_WORK && Chance(30) ? " x" + std::to_string(100 + Pick(900)) : "");
    }
    r->m_nDefaultItem = static_cast<std::uint8_t>(Pick(items));

    if (Chance(85)) {
        const Place& place = kPlaces[Pick(kPlaces.size())];
        r->m_strAddress =
            std::to_string(1 + Pick(9899)) + " " + Of(kStreets, Pick(kStreets.size()));
        if (Chance(15))
            r->m_strAddress +=
                "\r\nApt " + std::to_string(1 + Pick(40)) + static_cast<char>('A' + Pick(4));
        r->m_strCity = place.city;
        r->m_strState = place.state;
        r->m_strZip = place.zipPrefix + std::to_string(10 + Pick(90));
        r->m_strCountry = place.country;
    }
    if (Chance(30))
        r->m_strOtherInfo[0] =
            std::string("Birthday: ") + Of(kMonths, Pick(12)) + " " + std::to_string(1 + Pick(28));
    if (Chance(12))
        r->m_strOtherInfo[1] = std::string("Spouse: ") + Of(kFirstNames, Pick(kFirstNames.size()));
    if (Chance(5))
        r->m_strOtherInfo[2] = "Account no. " + std::to_string(100000 + Pick(900000));
    if (Chance(35))
        r->m_strNotes = Of(kNotes, Pick(kNotes.size()));
    return r;
}

void CSampleBook::Fill(CCategoryList& categories, CRecordList& records, std::size_t count) {
    categories.RemoveAll();
    for (const char* name : kCategories)
        categories.AddTail(name);
    records.clear();
    CRecordFiler filer(records);
    for (std::size_t i = 0; i < count; ++i)
        filer.File(Next());
}
