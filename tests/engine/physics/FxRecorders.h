#pragma once

#include "engine/physics/FxConstraint.h"
#include "engine/physics/FxForce.h"

#include <string>
#include <utility>
#include <vector>

// Forces and constraints that write what happens to them into a log the test
// keeps: the world owns and deletes them, so the log must live outside.
struct FxLog {
    std::vector<std::string> events;
    int count(const std::string& event) const {
        int n = 0;
        for (const std::string& e : events) {
            n += e == event ? 1 : 0;
        }
        return n;
    }
};

class RecordingForce final : public ZQ::Fx::Force {
public:
    RecordingForce(FxLog& log, std::string name) : log(log), name(std::move(name)) {}
    ~RecordingForce() override { log.events.push_back("delete " + name); }
    void apply(PVRTVec3*, PVRTVec3*, PVRTVec3*) override { log.events.push_back(name); }

private:
    FxLog& log;
    std::string name;
};

class RecordingConstraint final : public ZQ::Fx::Constraint {
public:
    RecordingConstraint(FxLog& log, std::string name) : log(log), name(std::move(name)) {}
    ~RecordingConstraint() override { log.events.push_back("delete " + name); }
    void satisfy(PVRTVec3*, int) override { log.events.push_back(name); }

private:
    FxLog& log;
    std::string name;
};
