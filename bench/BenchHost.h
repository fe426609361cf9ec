#pragma once

#include <cstdio>

#include "core/Clock.h"
#include "graph/Ugraph.h"

// A graph window's host with nothing behind it, for measuring the window alone.
class BenchHost : public GraphHost {
public:
    Clock& clock() override { return clock_; }
    bool saveGraph(TfrmGraph*) override { return false; }
    void realTimeGraphClosed() override {}
    void setRealTimeGraphTicked(bool) override {}
    VirtualClock clock_{46366.0};
};

// The process's resident memory in KiB (Linux; 0 elsewhere).
inline long residentKiB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * 4;
}
