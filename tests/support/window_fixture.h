#pragma once

#include <memory>

#include "link/conversation.h"
#include "sim/sim_port.h"
#include "support/bench_fixture.h"
#include "ui/station_window.h"

// The station window over the simulated bench in virtual time, its conversations carried out
// at once on the test's thread; the port chooser searches on a port of its own.
struct WindowFixture : BenchFixture {
    klv::DirectLink link{station};
    klv::sim::SimPort searchPort{bus, clock};
    std::unique_ptr<klv::StationWindow> window;

    void makeWindow() { window = std::make_unique<klv::StationWindow>(station, link, searchPort); }
    // The direct link scans at once, inside connectTo.
    bool connectWindow()
    {
        bool connected = false;
        window->connectTo(1, 1, 6, [&connected](bool ok) { connected = ok; });
        return connected;
    }
};
