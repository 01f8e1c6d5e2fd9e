// Something updated periodically with the current time and the time since its last update
// (the monitors of the platform corner).
#pragma once

namespace ostrum::utils {

class Time;

class Updatable
{
public:
    virtual ~Updatable() = default;
    virtual void update(const Time& now, int elapsed) = 0;
};

}  // namespace ostrum::utils
