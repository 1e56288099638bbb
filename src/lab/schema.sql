-- Lab store schema, written by the stations and read by klv-lab. Columns may be added; none
-- renamed or removed without a version step. Each "-- version N" section below brings a
-- database from version N-1 to N: a new database runs them all, an older one the rest.
-- version 1
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

-- version 2
-- The cycle table of each test, one row per cycle as --export-cycles writes it; NULL where
-- the CSV cell is empty.
CREATE TABLE cellward.cycle (
    test_id                          uuid NOT NULL REFERENCES cellward.test(id),
    cycle_count                      integer NOT NULL,
    start_time_second                double precision,
    end_time_second                  double precision,
    charging_capacity_ah             double precision,
    discharging_capacity_ah          double precision,
    charging_energy_wh               double precision,
    discharging_energy_wh            double precision,
    coulombic_efficiency_pct         double precision,
    energy_efficiency_pct            double precision,
    mean_charging_voltage_volt       double precision,
    mean_discharging_voltage_volt    double precision,
    maximum_voltage_volt             double precision,
    minimum_voltage_volt             double precision,
    discharge_capacity_retention_pct double precision,
    cumulative_throughput_ah         double precision NOT NULL,
    PRIMARY KEY (test_id, cycle_count)
);

-- The cell a test ran on, when the operator named it.
ALTER TABLE cellward.test
    ADD COLUMN cell_id text CHECK (char_length(cell_id) BETWEEN 1 AND 64),  -- NULL when none
    ADD COLUMN nominal_capacity_ah double precision CHECK (nominal_capacity_ah > 0);  -- NULL when none
CREATE INDEX test_cell ON cellward.test (cell_id);

-- NULL: the step ended normally; else why the unit ended it early.
ALTER TABLE cellward.step_result ADD COLUMN early_end text;

UPDATE cellward.schema_version SET version = 2;
