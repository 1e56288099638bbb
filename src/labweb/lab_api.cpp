#include <charconv>
#include <exception>

#include "lab/lab_reader.h"
#include "labweb/api_answers.h"
#include "labweb/bdf_csv.h"
#include "labweb/json_writer.h"
#include "labweb/lab_server.h"
#include "labweb/live_state.h"

namespace klv {

namespace {

long long number(const httplib::Request& req, const char* name, long long fallback)
{
    const std::string text = req.get_param_value(name);
    long long value = fallback;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() ? value : fallback;
}

// "1-3" is device 1 channel 3; "2" all channels of device 2.
void channelFilter(const std::string& text, lab::TestFilter& f)
{
    const auto dash = text.find('-');
    const std::string device = text.substr(0, dash);
    std::from_chars(device.data(), device.data() + device.size(), f.device);
    if (dash != std::string::npos)
        std::from_chars(text.data() + dash + 1, text.data() + text.size(), f.channel);
}

void writeNumbers(JsonWriter& w, const char* name, const std::vector<double>& xs)
{
    w.key(name).beginArray();
    for (const double x : xs)
        w.value(x);
    w.endArray();
}

}  // namespace

void LabServer::routeApi()
{
    http_.Get("/api/live", [this](const httplib::Request& req, httplib::Response& res) {
        if (!live_.failure().empty())
            unreachable(res);
        else
            res.set_content(live_.json(number(req, "since", 0)), kJson);
    });
    http_.Get("/api/tests", guarded([this](const httplib::Request& req, httplib::Response& res) {
                  lab::TestFilter f;
                  f.station = req.get_param_value("station");
                  channelFilter(req.get_param_value("channel"), f);
                  f.from = req.get_param_value("from");
                  f.to = req.get_param_value("to");
                  f.program = req.get_param_value("program");
                  f.cell = req.get_param_value("cell");
                  f.page = static_cast<int>(std::max(0LL, number(req, "page", 0)));
                  const lab::TestPage page = reader_.tests(f);
                  JsonWriter w;
                  w.beginObject().key("page").value(f.page).key("more").value(page.more).key("tests").beginArray();
                  for (const lab::TestRow& t : page.tests) {
                      w.beginObject();
                      writeTest(w, t);
                      w.endObject();
                  }
                  res.set_content(w.endArray().endObject().take(), kJson);
              }));
    http_.Get(std::string("/api/tests/") + kTestId,
              guarded([this](const httplib::Request& req, httplib::Response& res) {
                  const auto test = reader_.test(req.matches[1]);
                  if (!test) {
                      res.status = 404;
                      return;
                  }
                  JsonWriter w;
                  w.beginObject();
                  writeTest(w, *test);
                  w.key("steps").beginArray();
                  for (const lab::StepResultRow& s : reader_.stepResults(test->id)) {
                      w.beginObject().key("cycle").value(s.cycle).key("step").value(s.step).key("mode").value(s.mode);
                      w.key("capacity").value(s.capacity).key("energy").value(s.energy);
                      w.key("seconds").value(s.seconds).endObject();
                  }
                  res.set_content(w.endArray().endObject().take(), kJson);
              }));
    http_.Get(std::string("/api/tests/") + kTestId + "/curve",
              guarded([this](const httplib::Request& req, httplib::Response& res) {
                  const int width = static_cast<int>(std::clamp(number(req, "width", 800), 100LL, 8000LL));
                  const lab::CurveSamples c = reader_.curve(req.matches[1], width);
                  JsonWriter w;
                  w.beginObject().key("total").value(c.total).key("step").value(c.step);
                  writeNumbers(w, "t", c.time);
                  writeNumbers(w, "v", c.voltage);
                  writeNumbers(w, "i", c.current);
                  res.set_content(w.endObject().take(), kJson);
              }));
    http_.Get(std::string("/tests/") + kTestId + "/bdf",
              guarded([this](const httplib::Request& req, httplib::Response& res) {
                  auto slot = downloads_.take();
                  if (!slot) {
                      res.status = 503;
                      res.set_header("Retry-After", std::to_string(kDownloadRetrySeconds));
                      res.set_content(R"({"error":"too many downloads at once"})", kJson);
                      return;
                  }
                  const std::string id = req.matches[1];
                  if (!reader_.test(id)) {
                      res.status = 404;
                      return;
                  }
                  res.set_header("Content-Disposition", "attachment; filename=\"test-" + id + ".csv\"");
                  // The slot rides along with the provider and is released with the response.
                  res.set_chunked_content_provider(
                      "text/csv; charset=utf-8",
                      [this, id, slot](size_t, httplib::DataSink& sink) { return streamBdf(id, sink); });
              }));
    routeCycles(kTestId);
}

// Read a chunk of samples at a time, each chunk a query of its own: a week-long test never sits
// whole in memory, and no pool connection waits while the client reads. The header waits for
// the first sample: it says whether the test knows its Unix times. False when the download
// ended short (client gone, database away); the browser reports it failed.
bool LabServer::streamBdf(const std::string& id, httplib::DataSink& sink)
{
    std::string text;
    bool headed = false, unixTime = false, written = true;
    try {
        reader_.samples(id, [&](const std::vector<lab::SampleRow>& rows) {
            text.clear();
            if (!headed) {
                unixTime = rows.front().unixTime.has_value();
                text = bdfHeader(unixTime);
                headed = true;
            }
            for (const lab::SampleRow& s : rows)
                appendBdfRow(text, s, unixTime);
            written = sink.write(text.data(), text.size());
            return written;
        });
    } catch (const lab::PgReadError&) {
        return false;
    }
    if (!headed) {
        text = bdfHeader(false);
        written = sink.write(text.data(), text.size());
    }
    if (written)
        sink.done();
    return written;
}

}  // namespace klv
