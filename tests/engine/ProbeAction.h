#pragma once

#include "engine/Action.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

// A leaf whose start and run answer scripted results and which counts what
// is done to it. run answers runResults in turn and keeps answering the last
// one. Events go to an optional shared journal as "<name>.<event>", so
// tests can check the order across several probes.
class ProbeAction : public ZQ::Action {
public:
    explicit ProbeAction(State startResult = Running, std::vector<State> runResults = {Success},
                         std::vector<std::string>* journal = nullptr, std::string name = "probe")
        : startResult(startResult), runResults(std::move(runResults)), journal(journal),
          name(std::move(name)) {}
    ~ProbeAction() override { note("deleted"); }

    State start() override {
        ++starts;
        note("start");
        return startResult;
    }
    State run() override {
        const State r = runResults[std::min<size_t>(runs, runResults.size() - 1)];
        ++runs;
        note("run");
        return r;
    }
    void reset() override {
        Action::reset();
        ++resets;
        note("reset");
    }
    void setCloudlet(ZQ::Cloudlet* cloudlet) override {
        Action::setCloudlet(cloudlet);
        note("bind");
    }

    int starts = 0;
    int runs = 0;
    int resets = 0;

private:
    void note(const char* event) {
        if (journal != nullptr) {
            journal->push_back(name + "." + event);
        }
    }

    State startResult;
    std::vector<State> runResults;
    std::vector<std::string>* journal;
    std::string name;
};
