#include "core/model_json.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include <gtest/gtest.h>

#include "core/json_writer.h"

namespace tempyra {
namespace {

Reading sampleReading() {
  const double t = 1733500000.125;
  return Reading{t,
                 ThermalState::serious,
                 Metric(MetricKind::cpuLoad, "CPU load", 18.4, "%",
                        "host_statistics · interval average", t, "Measured"),
                 {Metric(MetricKind::cpuTemperature, "CPU temperature", 43.2, "°C", "SMC/TC0P",
                         t - 0.1, "Measured"),
                  Metric(MetricKind::sensor, "Sensor TC0P", 44, "°C", "SMC", t, "Measured"),
                  Metric(MetricKind::fan, "Fan 1", std::nullopt, "RPM", "SMC", t, "Measured")},
                 PowerContext{PowerSource::battery, 84.0, false, {}},
                 {ProcessActivity{INT32_MIN, "kworker/0:1", 0.1},
                  ProcessActivity{INT32_MAX, "Grüße \"x\"\n", 250.5}},
                 "5B1C/UUID"};
}

TEST(ModelJson, RoundTripsGiveBackEveryFieldAndTheSameBytes) {
  const Reading r = sampleReading();
  const auto text = encodeJson(r);
  ASSERT_TRUE(text) << text.error();
  const auto back = decodeReading(*text);
  ASSERT_TRUE(back) << back.error();
  EXPECT_TRUE(back->cpu == r.cpu && back->sensors == r.sensors && back->power == r.power);
  ASSERT_EQ(back->activity.size(), 2u);
  EXPECT_EQ(back->activity[0].id, INT32_MIN);
  EXPECT_EQ(back->activity[1].name, r.activity[1].name);
  // Every other field is checked through the bytes: writing what was read changes nothing.
  EXPECT_EQ(*encodeJson(*back), *text);
  EXPECT_TRUE(std::signbit(*decodeMetric(*encodeJson(Metric(MetricKind::other, "m", -0.0, "", "", 0, "q")))->value));

  const DeviceProfile d{"MacBookPro18,1", "arm64", "Linux 6.1", "2 fans",
                        {{"CPU load", "/proc/stat"}, {"Fan RPM", "Not available"}}};
  const auto db = decodeDeviceProfile(*encodeJson(d));
  ASSERT_TRUE(db) << db.error();
  EXPECT_EQ(*encodeJson(*db), *encodeJson(d));
}

// The stored words are the vocabularies' only text; a word this program does not write reads as
// `other` and is written back exactly.
TEST(ModelJson, VocabularyWordsReadBackAndUnknownWordsKeepTheirText) {
  for (const EventKind k : {EventKind::thermal, EventKind::thermalState, EventKind::power,
                            EventKind::monitoring, EventKind::alert}) {
    EXPECT_EQ(eventKindFromWord(storedWord(k)), k) << storedWord(k);
  }
  EXPECT_EQ(eventKindFromWord("power"), EventKind::other);
  EXPECT_EQ(kindWords(Event{1, 2, EventKind::other, "d", "Note"}), "Note");
  for (const char* json : {R"({"source":"AC power"})", R"({"source":"Battery"})",
                           R"({"source":"Not available"})", R"({"source":"UPS Power"})"}) {
    const auto p = decodePowerContext(json);
    ASSERT_TRUE(p) << p.error();
    EXPECT_EQ(*encodeJson(*p), json);
  }
  EXPECT_EQ(decodePowerContext(R"({"source":"AC power"})")->source, PowerSource::ac);
  EXPECT_EQ(decodePowerContext(R"({"source":"UPS Power"})")->source, PowerSource::other);
  EXPECT_EQ(metricKindFromStored("Zone acpitz", "°C"), MetricKind::zone);
}

TEST(ModelJson, WriterBytes) {
  const std::pair<Expected<std::string>, const char*> cases[] = {
      {encodeJson(PowerContext{PowerSource::other, std::nullopt, std::nullopt, "AC"}),
       R"({"source":"AC"})"},
      {encodeJson(PowerContext{PowerSource::battery, 84.0, true, {}}),
       R"({"source":"Battery","battery":84,"charging":true})"},
      {encodeJson(Metric(MetricKind::fan, "Fan 1", std::nullopt, "RPM", "a/b", 1733500000, "Measured")),
       R"({"name":"Fan 1","unit":"RPM","source":"a\/b","timestamp":1733500000,)"
       R"("quality":"Not available"})"},
      {encodeJson(Metric(MetricKind::other, "t", 18.4, "%", "", 1733500000.125, "M")),
       R"({"name":"t","value":18.4,"unit":"%","source":"","timestamp":1733500000.125,)"
       R"("quality":"M"})"},
      {encodeJson(ProcessActivity{-3, "°C · \"q\" \\ \b\f\n\r\t\x01\x1f /", 1e300}),
       "{\"id\":-3,\"name\":\"°C · \\\"q\\\" \\\\ \\b\\f\\n\\r\\t\\u0001\\u001f \\/\","
       "\"cpu\":1e+300}"},
      // A name cut inside a character is repaired so the record stays readable.
      {encodeJson(ProcessActivity{1, "a\xC3", 0.1}),
       "{\"id\":1,\"name\":\"a\xEF\xBF\xBD\",\"cpu\":0.1}"},
  };
  for (const auto& [got, want] : cases) {
    ASSERT_TRUE(got) << want;
    EXPECT_EQ(*got, want);
  }
  for (double v : {1.0 / 3, 1e-7, 123456789.123456, 1.7976931348623157e308, 4.9e-324}) {
    std::string s;
    JsonWriter::appendNumber(s, v);
    EXPECT_EQ(std::strtod(s.c_str(), nullptr), v) << s;
  }
}

TEST(ModelJson, NonFiniteNumbersAreRefused) {
  for (double bad : {std::numeric_limits<double>::infinity(), std::nan("")}) {
    Reading a = sampleReading(), b = a, c = a, d = a;
    a.sensors[0].value = bad;
    b.power.battery = -bad;
    c.activity[1].cpu = bad;
    d.timestamp = bad;
    for (const Reading& r : {a, b, c, d}) {
      const auto e = encodeJson(r);
      ASSERT_FALSE(e);
      EXPECT_NE(e.error().find("non-finite"), std::string::npos) << e.error();
    }
  }
}

// A valid reading document with `without` left out and `extra` members added.
std::string readingWith(const std::string& extra, const std::string& without = "") {
  const std::pair<std::string, std::string> fields[] = {
      {"timestamp", "5"},
      {"state", "0"},
      {"cpu", R"({"name":"c","value":1,"unit":"%","source":"s","timestamp":5,"quality":"q"})"},
      {"sensors", "[]"},
      {"power", R"({"source":"AC power"})"},
      {"activity", "[]"},
      {"segment", R"("seg")"}};
  std::string out = "{" + extra;
  for (const auto& [key, value] : fields) {
    if (key != without) out += (out.size() > 1 ? ",\"" : "\"") + key + "\":" + value;
  }
  return out + "}";
}

TEST(ModelJson, ReadingRules) {
  for (const char* key : {"timestamp", "state", "cpu", "sensors", "power", "activity",
                          "segment"}) {
    EXPECT_FALSE(decodeReading(readingWith("", key))) << "missing " << key;
  }
  const auto act = [](const std::string& id) {
    return readingWith(R"("activity":[{"id":)" + id + R"(,"name":"n","cpu":1}])", "activity");
  };
  const std::pair<std::string, bool> cases[] = {
      {readingWith(R"("state":5)", "state"), false},
      {readingWith(R"("state":-1)", "state"), false},
      {readingWith(R"("state":1.5)", "state"), false},
      {readingWith(R"("state":4.0)", "state"), true},
      {readingWith(R"("timestamp":"2024-01-01")", "timestamp"), false},
      {readingWith(R"("timestamp":1e999)", "timestamp"), false},
      {readingWith(R"("timestamp":1.7335E9)", "timestamp"), true},
      {readingWith(R"("segment":null)", "segment"), false},
      {readingWith(R"("sensors":[{"name":"x"}])", "sensors"), false},
      {readingWith(R"("power":{"source":"x","battery":"84"})", "power"), false},
      {readingWith(R"("power":{"source":"x","battery":null,"charging":null})", "power"), true},
      {act("2147483648"), false},
      {act("-2147483648"), true},
      {act("2.147483647e9"), true},
      {readingWith(R"("unknown":{"deep":[1,2]})"), true},
      {readingWith("") + "x", false},
      // Valid JSON that the parser underneath needs help with, and what must stay refused.
      // Integers beyond 64 bits are numbers like any other; inside strings nothing changes.
      {readingWith(R"("timestamp":100000000000000000000,"segment":"12345678901234567890123")",
                   "timestamp"),
       true},
      {readingWith(R"("x":[-92233720368547758090,1e5])"), true},
      {readingWith(R"("timestamp":)" + std::string(400, '9'), "timestamp"), false},
      {readingWith(R"("state":"x","state":4)", "state"), true},  // the last duplicate counts
      {readingWith(R"("state":4,"state":"x")", "state"), false},
      {readingWith(R"("segment":"a\xff")", "segment"), false},
      {readingWith(R"("segment":"\ud800")", "segment"), false},
      {readingWith(R"("segment":"\ud83d\ude00 \u0000")", "segment"), true},
      {"\xEF\xBB\xBF" + readingWith(""), true},
      {"", false},
  };
  for (const auto& [doc, readable] : cases) {
    const auto r = decodeReading(doc);
    EXPECT_EQ(r.hasValue(), readable) << doc.substr(0, 200) << (r ? "" : " -> " + r.error());
  }
  const auto big = decodeReading(readingWith(R"("timestamp":-100000000000000000000)", "timestamp"));
  ASSERT_TRUE(big) << big.error();
  EXPECT_EQ(big->timestamp, -1e20);
  EXPECT_EQ(decodeReading(readingWith(R"("state":0,"state":3)", "state"))->state, ThermalState::critical);
  const auto caps = decodeDeviceProfile(
      R"({"model":"m","architecture":"a","os":"o","fans":"f","capabilities":{"k":"1","k":"2"}})");
  ASSERT_TRUE(caps) << caps.error();
  EXPECT_EQ(caps->capabilities.at("k"), "2");
  // A stored metric without value keeps the model's rule whatever quality it claims.
  const auto m =
      decodeMetric(R"({"name":"n","unit":"","source":"","timestamp":1,"quality":"Measured"})");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->quality, "Not available");
}

template <class T>
std::string refusal(const Expected<T>& decoded) {
  return decoded ? "(readable)" : decoded.error();
}

TEST(ModelJson, RefusalsNameThePlace) {
  const std::pair<std::string, std::string> cases[] = {
      {refusal(decodeReading(readingWith(
           R"("sensors":[{"name":"a","unit":"","source":"","timestamp":1,"quality":""},)"
           R"({"name":"b","source":"","timestamp":1,"quality":""}])",
           "sensors"))),
       R"(reading.sensors[1]: missing key "unit")"},
      {refusal(decodeReading(
           readingWith(R"("activity":[{"id":2.5,"name":"n","cpu":1}])", "activity"))),
       R"(reading.activity[0]: "id" must be an integer from -2147483648 to 2147483647)"},
      {refusal(decodeReading(readingWith(R"("power":{"source":"x","charging":1})", "power"))),
       R"(reading.power: "charging" must be true or false)"},
      {refusal(decodeReading(readingWith(R"("cpu":[])", "cpu"))),
       "reading.cpu: expected a JSON object"},
      {refusal(decodeReading(readingWith(R"("sensors":{})", "sensors"))),
       R"(reading: "sensors" must be an array)"},
      {refusal(decodeDeviceProfile(
           R"({"model":"m","architecture":"a","os":"o","fans":"f","capabilities":{"x":1}})")),
       R"(device profile.capabilities: "x" must be a string)"},
      {refusal(decodeMetric(R"({"name":"n","unit":"","source":"","timestamp":"1","quality":""})")),
       R"(metric: "timestamp" must be a number)"},
  };
  for (const auto& [got, want] : cases) EXPECT_EQ(got, want);
  EXPECT_EQ(refusal(decodeMetric("{")).rfind("metric: not valid JSON", 0), 0u);
}

}  // namespace
}  // namespace tempyra
