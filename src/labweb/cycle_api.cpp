#include <regex>

#include "lab/cycle_csv.h"
#include "lab/lab_reader.h"
#include "labweb/api_answers.h"
#include "labweb/json_writer.h"
#include "labweb/lab_server.h"

namespace klv {

namespace {

JsonWriter& seconds(JsonWriter& w, const std::optional<long long>& s) { return s ? w.value(*s) : w.null(); }

// Keys are the lab database's column names.
void writeCycle(JsonWriter& w, const CycleRow& c)
{
    w.beginObject().key("cycle_count").value(c.cycle);
    seconds(w.key("start_time_second"), c.start);
    seconds(w.key("end_time_second"), c.end);
    w.key("charging_capacity_ah").value(c.chargeAh).key("discharging_capacity_ah").value(c.dischargeAh);
    w.key("charging_energy_wh").value(c.chargeWh).key("discharging_energy_wh").value(c.dischargeWh);
    w.key("coulombic_efficiency_pct").value(c.coulombic).key("energy_efficiency_pct").value(c.energyEfficiency);
    w.key("mean_charging_voltage_volt").value(c.meanChargeV);
    w.key("mean_discharging_voltage_volt").value(c.meanDischargeV);
    w.key("maximum_voltage_volt").value(c.maxV).key("minimum_voltage_volt").value(c.minV);
    w.key("discharge_capacity_retention_pct").value(c.retention);
    w.key("cumulative_throughput_ah").value(c.throughputAh).endObject();
}

// "ID,ID,…": the ids, or nullopt when one is not a test id or there are too many.
std::optional<std::vector<std::string>> idList(const std::string& text, std::size_t limit)
{
    static const std::regex uuid("[0-9a-fA-F]{8}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{12}");
    std::vector<std::string> ids;
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        ids.push_back(text.substr(from, comma - from));
        if (!std::regex_match(ids.back(), uuid) || ids.size() > limit)
            return std::nullopt;
        from = comma + 1;
    }
    return ids;
}

}  // namespace

// Each handler runs on an httplib pool thread and borrows a database connection for its length.
void LabServer::routeCycles(const std::string& testPath)
{
    http_.Get("/api/tests/" + testPath + "/cycles",
              guarded([this](const httplib::Request& req, httplib::Response& res) {
                  const auto test = reader_.test(req.matches[1]);
                  if (!test) {
                      res.status = 404;
                      return;
                  }
                  JsonWriter w;
                  w.beginObject().key("nominal_capacity_ah").value(test->nominalCapacity).key("cycles").beginArray();
                  for (const CycleRow& c : reader_.cycles(test->id))
                      writeCycle(w, c);
                  res.set_content(w.endArray().endObject().take(), kJson);
              }));
    http_.Get("/tests/" + testPath + "/cycles.csv",
              guarded([this](const httplib::Request& req, httplib::Response& res) {
                  const auto download = cycleDownload(reader_, req.matches[1]);
                  if (!download) {
                      res.status = 404;
                      return;
                  }
                  res.set_header("Content-Disposition", "attachment; filename=\"" + download->fileName + "\"");
                  res.set_content(download->csv, "text/csv; charset=utf-8");
              }));
    http_.Get("/api/compare", guarded([this](const httplib::Request& req, httplib::Response& res) {
                  const auto ids = idList(req.get_param_value("ids"), kMaxCompared);
                  if (!ids) {
                      res.status = 400;
                      res.set_content("{\"error\":\"ids: up to " + std::to_string(kMaxCompared) +
                                          " test ids, comma-separated\"}",
                                      kJson);
                      return;
                  }
                  JsonWriter w;
                  w.beginObject().key("tests").beginArray();
                  for (const lab::CycleSeries& s : reader_.cycleSeries(*ids)) {
                      w.beginObject();
                      writeTest(w, s.test);
                      w.key("cycle").numbersJson(s.cycle);
                      w.key("discharging_capacity_ah").numbersJson(s.dischargeAh);
                      w.key("discharge_capacity_retention_pct").numbersJson(s.retention);
                      w.endObject();
                  }
                  res.set_content(w.endArray().endObject().take(), kJson);
              }));
}

}  // namespace klv
