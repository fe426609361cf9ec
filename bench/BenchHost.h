#pragma once

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
