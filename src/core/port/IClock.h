#pragma once
#include <ctime>

// The current local time, so tests can fix it.
class IClock {
public:
    virtual ~IClock() = default;
    virtual std::tm Now() const = 0;
};

class SystemClock final : public IClock {
public:
    std::tm Now() const override;
};
