-- The lab store schema as version 1 made it: the starting point of the upgrade test.
CREATE SCHEMA IF NOT EXISTS cellward;

CREATE TABLE cellward.schema_version (
    version integer NOT NULL
);

CREATE TABLE cellward.station (
    name      text PRIMARY KEY,
    host      text NOT NULL,
    version   text NOT NULL,          -- program version, "1.0.0"
    last_seen timestamptz NOT NULL    -- heartbeat every few seconds
);

-- One row per channel, device and channel 1-based as the operator says them ("1-1").
CREATE TABLE cellward.channel_state (
    station        text NOT NULL REFERENCES cellward.station(name),
    device         integer NOT NULL,
    channel        integer NOT NULL,
    state          text NOT NULL,     -- 'absent' | 'idle' | 'running' | 'stopped' | 'error'
    status         text NOT NULL,     -- the tile's status text as the station shows it
    voltage_volt   double precision NOT NULL,
    current_ampere double precision NOT NULL,   -- charge positive, discharge negative
    capacity_ah    double precision NOT NULL,
    energy_wh      double precision NOT NULL,
    step           integer NOT NULL,  -- 1-based step number, 0 when none
    loop_pass      integer NOT NULL,
    running        boolean NOT NULL,
    test_id        uuid,              -- the channel's current or last test, NULL when none
    updated_at     timestamptz NOT NULL,
    PRIMARY KEY (station, device, channel)
);

CREATE TABLE cellward.test (
    id         uuid PRIMARY KEY,      -- made by the station at start, kept across --continue
    station    text NOT NULL REFERENCES cellward.station(name),
    device     integer NOT NULL,
    channel    integer NOT NULL,
    model      text NOT NULL,         -- the unit's model name, e.g. "TAL-M3"
    program    text NOT NULL,         -- the step program as readable text (one step a line)
    started_at timestamptz NOT NULL,
    ended_at   timestamptz,
    end_reason text                   -- NULL while running
);
CREATE INDEX test_station_started ON cellward.test (station, started_at DESC);

-- Battery Data Format machine-readable column names.
CREATE TABLE cellward.sample (
    test_id          uuid NOT NULL REFERENCES cellward.test(id),
    seq              integer NOT NULL,          -- 0-based, the record's index in the test
    test_time_second double precision NOT NULL,
    unix_time_second double precision,
    voltage_volt     double precision NOT NULL,
    current_ampere   double precision NOT NULL, -- charge positive, discharge negative
    cycle_count      integer NOT NULL,
    step_count       integer NOT NULL,
    step_index       integer NOT NULL,
    step_capacity_ah double precision,
    step_energy_wh   double precision,
    PRIMARY KEY (test_id, seq)
);

CREATE TABLE cellward.step_result (
    test_id     uuid NOT NULL REFERENCES cellward.test(id),
    cycle       integer NOT NULL,
    step        integer NOT NULL,
    mode        text NOT NULL,
    capacity_ah double precision NOT NULL,
    energy_wh   double precision NOT NULL,
    seconds     double precision NOT NULL,
    PRIMARY KEY (test_id, cycle, step)
);

INSERT INTO cellward.schema_version (version) VALUES (1);
