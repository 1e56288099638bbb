// klv-lab: the lab page over the lab database. Threads: main binds and serves (httplib's pool
// answers the requests), the live poller reads the channel rows, a signal thread stops the server.
#include <csignal>
#include <cstdio>
#include <thread>

#include "lab/lab_reader.h"
#include "lab/pg_pool.h"
#include "labweb/lab_options.h"
#include "labweb/lab_server.h"
#include "labweb/live_poller.h"
#include "labweb/live_state.h"
#include "version.h"

int main(int argc, char** argv)
{
    const auto parsed = klv::parseLabOptions(std::vector<std::string>(argv + 1, argv + argc));
    const klv::LabOptions& o = parsed.options;
    if (o.help) {
        std::fputs(klv::labUsage().c_str(), stdout);
        return 0;
    }
    if (o.version) {
        std::printf("klv-lab %s\n", klv::kVersionText);
        return 0;
    }
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "klv-lab: %s\n%s", parsed.error.c_str(), klv::labUsage().c_str());
        return 2;
    }

    // SIGINT and SIGTERM are taken by the signal thread alone: every thread started from here
    // on inherits the blocked mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    klv::lab::PgPool pool(o.db);
    klv::lab::LabReader reader(pool);
    klv::LiveState live;
    klv::LivePoller poller(reader, live);
    klv::LabServer server(reader, live, klv::AccessGate(o.token), klv::HostCheck(o.host, o.loopback, o.hostNames));
    const int port = server.bind(o.host, o.port);
    if (port < 0) {
        std::fprintf(stderr, "klv-lab: cannot listen on %s:%d\n", o.host.c_str(), o.port);
        return 1;
    }
    const bool v6 = o.host.find(':') != std::string::npos;
    std::printf("klv-lab: serving http://%s%s%s:%d/%s\n", v6 ? "[" : "", o.host.c_str(), v6 ? "]" : "", port,
                o.token.empty() ? "" : " (token required)");
    std::fflush(stdout);

    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.stop();
    });
    server.serve();
    pthread_kill(stopper.native_handle(), SIGTERM);  // wakes it when serving ended on its own
    stopper.join();
    return 0;
}
