#include "core/model_json.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "core/json_writer.h"

namespace tempyra {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

Reading sampleReading() {
  Reading r;
  r.timestamp = 1733500000.125;
  r.state = ThermalState::serious;
  r.cpu = Metric("CPU load", 18.4, "%", "host_statistics · interval average", 1733500000.125,
                 "Measured");
  r.sensors = {Metric("CPU temperature", 43.2, "°C", "SMC/TC0P", 1733500000.1, "Measured"),
               Metric("Fan 1", std::nullopt, "RPM", "SMC", 1733500000.1, "Measured")};
  r.power = PowerContext{"Battery", 84.0, false};
  r.activity = {ProcessActivity{-2147483647 - 1, "kworker/0:1", 0.1},
                ProcessActivity{2147483647, "Grüße \"x\"\n", 250.5}};
  r.segment = "5B1C/UUID";
  return r;
}

void expectSame(const Metric& a, const Metric& b) { EXPECT_TRUE(a == b) << a.name; }

TEST(ModelJson, ReadingRoundTripsEveryField) {
  const Reading r = sampleReading();
  const auto text = encodeJson(r);
  ASSERT_TRUE(text) << text.error();
  const auto back = decodeReading(*text);
  ASSERT_TRUE(back) << back.error();
  EXPECT_EQ(back->timestamp, r.timestamp);
  EXPECT_EQ(back->state, r.state);
  expectSame(back->cpu, r.cpu);
  ASSERT_EQ(back->sensors.size(), 2u);
  expectSame(back->sensors[0], r.sensors[0]);
  expectSame(back->sensors[1], r.sensors[1]);
  EXPECT_TRUE(back->power == r.power);
  ASSERT_EQ(back->activity.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(back->activity[i].id, r.activity[i].id);
    EXPECT_EQ(back->activity[i].name, r.activity[i].name);
    EXPECT_EQ(back->activity[i].cpu, r.activity[i].cpu);
  }
  EXPECT_EQ(back->segment, r.segment);
  // Writing what was read gives the same bytes.
  EXPECT_EQ(*encodeJson(*back), *text);
}

TEST(ModelJson, OtherTypesRoundTrip) {
  const DeviceProfile d{"MacBookPro18,1", "arm64", "Linux 6.1", "2 fans",
                        {{"CPU load", "/proc/stat"}, {"Fan RPM", "Not available"}}};
  const auto dt = encodeJson(d);
  ASSERT_TRUE(dt);
  const auto db = decodeDeviceProfile(*dt);
  ASSERT_TRUE(db) << db.error();
  EXPECT_EQ(db->model, d.model);
  EXPECT_EQ(db->architecture, d.architecture);
  EXPECT_EQ(db->os, d.os);
  EXPECT_EQ(db->fans, d.fans);
  EXPECT_EQ(db->capabilities, d.capabilities);

  for (const PowerContext& p : {PowerContext{"AC power", std::nullopt, std::nullopt},
                                PowerContext{"Battery", 0.0, true},
                                PowerContext{"Battery", 99.5, std::nullopt}}) {
    const auto back = decodePowerContext(*encodeJson(p));
    ASSERT_TRUE(back) << back.error();
    EXPECT_TRUE(*back == p);
  }
  const auto m = decodeMetric(*encodeJson(Metric("x", -0.5, "", "", -1e-300, "q")));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->value, -0.5);
  EXPECT_EQ(m->timestamp, -1e-300);
  const auto a = decodeProcessActivity(*encodeJson(ProcessActivity{7, "a", 1e20}));
  ASSERT_TRUE(a);
  EXPECT_EQ(a->cpu, 1e20);
}

TEST(ModelJson, WriterBytes) {
  struct Case {
    const char* what;
    std::string got;
    const char* want;
  };
  const Case cases[] = {
      {"omitted optionals", *encodeJson(PowerContext{"AC power", std::nullopt, std::nullopt}),
       R"({"source":"AC power"})"},
      {"all present", *encodeJson(PowerContext{"Battery", 84.0, true}),
       R"({"source":"Battery","battery":84,"charging":true})"},
      {"metric without value",
       *encodeJson(Metric("Fan 1", std::nullopt, "RPM", "a/b", 1733500000, "Measured")),
       R"({"name":"Fan 1","unit":"RPM","source":"a\/b","timestamp":1733500000,)"
       R"("quality":"Not available"})"},
      {"shortest numbers", *encodeJson(ProcessActivity{-3, "x", 0.1}),
       R"({"id":-3,"name":"x","cpu":0.1})"},
      {"fractional time", *encodeJson(Metric("t", 18.4, "%", "", 1733500000.125, "M")),
       R"({"name":"t","value":18.4,"unit":"%","source":"","timestamp":1733500000.125,)"
       R"("quality":"M"})"},
      {"non-ASCII as is, escapes",
       *encodeJson(ProcessActivity{1, "°C · \"q\" \\ \b\f\n\r\t\x01\x1f /", 1e300}),
       "{\"id\":1,\"name\":\"°C · \\\"q\\\" \\\\ \\b\\f\\n\\r\\t\\u0001\\u001f \\/\","
       "\"cpu\":1e+300}"},
      {"invalid UTF-8 replaced", *encodeJson(ProcessActivity{1, "a\xC3", 0}),
       "{\"id\":1,\"name\":\"a\xEF\xBF\xBD\",\"cpu\":0}"},
      {"empty profile", *encodeJson(DeviceProfile{}),
       R"({"model":"","architecture":"","os":"","fans":"","capabilities":{}})"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.what;

  Reading r;
  r.segment = "s";
  EXPECT_EQ(*encodeJson(r),
            R"({"timestamp":0,"state":4,"cpu":{"name":"","unit":"","source":"","timestamp":0,)"
            R"("quality":"Not available"},"sensors":[],"power":{"source":""},"activity":[],)"
            R"("segment":"s"})");
}

TEST(ModelJson, ShortestNumbersReadBack) {
  for (double v : {0.1, 1.0 / 3, 1e-7, 123456789.123456, 1e16, 1.7976931348623157e308,
                   4.9e-324, -2.5, 1733500000.0}) {
    std::string s;
    JsonWriter::appendNumber(s, v);
    EXPECT_EQ(std::strtod(s.c_str(), nullptr), v) << s;
  }
}

TEST(ModelJson, NonFiniteIsRefused) {
  Reading r = sampleReading();
  const auto refuse = [](const Expected<std::string>& e) {
    EXPECT_FALSE(e);
    if (!e) {
      EXPECT_NE(e.error().find("non-finite"), std::string::npos) << e.error();
    }
  };
  for (double bad : {kInf, -kInf, kNaN}) {
    Reading a = r;
    a.sensors[0].value = bad;
    refuse(encodeJson(a));
    Reading b = r;
    b.power.battery = bad;
    refuse(encodeJson(b));
    Reading c = r;
    c.activity[1].cpu = bad;
    refuse(encodeJson(c));
    Reading d = r;
    d.timestamp = bad;
    refuse(encodeJson(d));
    refuse(encodeJson(Metric("m", 1, "", "", bad, "q")));
  }
}

// A valid reading document with one part replaced by `patch` (a JSON-merge of keys).
std::string readingWith(const std::string& extra, const std::string& without = "") {
  std::string cpu = R"({"name":"CPU load","value":1,"unit":"%","source":"s","timestamp":5,"quality":"Measured"})";
  std::string fields[][2] = {
      {"timestamp", "5"},
      {"state", "0"},
      {"cpu", cpu},
      {"sensors", "[]"},
      {"power", R"({"source":"AC power"})"},
      {"activity", "[]"},
      {"segment", R"("seg")"},
  };
  std::string out = "{";
  for (auto& f : fields) {
    if (f[0] == without) continue;
    out += "\"" + f[0] + "\":" + f[1] + ",";
  }
  out += extra;
  if (out.back() == ',') out.pop_back();
  return out + "}";
}

TEST(ModelJson, ReadingRulesReject) {
  const char* required[] = {"timestamp", "state", "cpu", "sensors", "power", "activity",
                            "segment"};
  for (const char* key : required) {
    EXPECT_FALSE(decodeReading(readingWith("", key))) << "missing " << key;
  }
  struct Case {
    std::string doc;
    const char* why;
  };
  const Case rejected[] = {
      {readingWith(R"("state":5)", "state"), "state 5"},
      {readingWith(R"("state":-1)", "state"), "state -1"},
      {readingWith(R"("state":1.5)", "state"), "state fraction"},
      {readingWith(R"("state":"1")", "state"), "state string"},
      {readingWith(R"("state":null)", "state"), "state null"},
      {readingWith(R"("timestamp":"2024-01-01")", "timestamp"), "date string"},
      {readingWith(R"("timestamp":1e999)", "timestamp"), "time out of range"},
      {readingWith(R"("segment":null)", "segment"), "required null"},
      {readingWith(R"("sensors":{})", "sensors"), "sensors object"},
      {readingWith(R"("sensors":[{"name":"x"}])", "sensors"), "incomplete metric"},
      {readingWith(R"("power":{"source":"x","battery":"84"})", "power"), "battery string"},
      {readingWith(R"("power":{"source":"x","charging":1})", "power"), "charging number"},
      {readingWith(R"("activity":[{"id":2147483648,"name":"n","cpu":1}])", "activity"),
       "id above 32 bits"},
      {readingWith(R"("activity":[{"id":-2147483649,"name":"n","cpu":1}])", "activity"),
       "id below 32 bits"},
      {readingWith(R"("activity":[{"id":1.5,"name":"n","cpu":1}])", "activity"), "id fraction"},
      {readingWith(R"("activity":[{"id":18446744073709551615,"name":"n","cpu":1}])",
                   "activity"),
       "id unsigned 64"},
      {"[]", "array"},
      {"", "empty"},
      {"{\"timestamp\":", "truncated"},
      {readingWith("") + "x", "trailing garbage"},
  };
  for (const auto& c : rejected) {
    const auto r = decodeReading(c.doc);
    EXPECT_FALSE(r) << c.why;
    if (!r) {
      EXPECT_FALSE(r.error().empty()) << c.why;
    }
  }
  EXPECT_FALSE(decodeDeviceProfile(R"({"model":"m","architecture":"a","os":"o","fans":"f",)"
                                   R"("capabilities":{"x":1}})"));
  EXPECT_FALSE(decodeDeviceProfile(R"({"model":"m","architecture":"a","os":"o","fans":"f"})"));
}

TEST(ModelJson, ReadingRulesAccept) {
  struct Case {
    std::string doc;
    const char* why;
  };
  const Case accepted[] = {
      {readingWith(R"("state":4.0)", "state"), "state as 4.0"},
      {readingWith(R"("state":3e0)", "state"), "state as 3e0"},
      {readingWith(R"("timestamp":1.7335E9)", "timestamp"), "time with exponent"},
      {readingWith(R"("unknown":{"deep":[1,2]})"), "unknown key"},
      {readingWith(R"("power":{"source":"x","battery":null,"charging":null})", "power"),
       "null optionals"},
      {readingWith(R"("activity":[{"id":-2147483648,"name":"n","cpu":1},)"
                   R"({"id":2.147483647e9,"name":"m","cpu":2}])",
                   "activity"),
       "id at both 32-bit ends"},
  };
  for (const auto& c : accepted) {
    const auto r = decodeReading(c.doc);
    EXPECT_TRUE(r) << c.why << ": " << (r ? "" : r.error());
  }
  const auto r = decodeReading(readingWith(
      R"("state":4.0,"power":{"source":"x","battery":null},"timestamp":1.7335E9)",
      "state"));
  ASSERT_TRUE(r) << r.error();
  EXPECT_EQ(r->state, ThermalState::unknown);
  EXPECT_FALSE(r->power.battery);

  // A stored metric without value and a quality other than "Not available" keeps the model's
  // rule: no value, no quality.
  const auto m = decodeMetric(R"({"name":"n","unit":"","source":"","timestamp":1,"quality":"Measured"})");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->quality, "Not available");
}

}  // namespace
}  // namespace tempyra
