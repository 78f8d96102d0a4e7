// The configuration text format: exact round trips (compared as encoded
// bytes, since -0.0 equals 0.0 and a NaN never equals itself) and the
// validation of documents.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>

#include "files/record_images.h"
#include "files/text_format.h"
#include "link/command_set.h"

namespace {

namespace fs = std::filesystem;
using kdv::files::Finding;
using kdv::model::Configuration;

std::vector<std::uint8_t> file_bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::pair<kdv::files::GdtImage, kdv::files::RxdImage> images(const Configuration& c) {
  return {kdv::files::encode_gdt(c.flags), kdv::files::encode_rxd(c.rx)};
}

// Export, then import: the same bytes as the console's load-then-save of the
// loaded configuration, and the re-exported text is the same text.
void expect_exact(const Configuration& loaded) {
  const std::string text = kdv::files::write_text(loaded);
  const kdv::files::TextRead read = kdv::files::read_text(text);
  ASSERT_TRUE(read.ok()) << kdv::files::describe(read.findings.front(), "export");
  EXPECT_EQ(images(read.config), images(loaded));
  EXPECT_EQ(kdv::files::write_text(read.config), text);
}

TEST(TextFormatRoundTrip, EveryCorpusPairAsTheConsoleLoadsIt) {
  const fs::path corpus = KDV578_SOURCE_DIR "/fuzz/corpus/record_images";
  int pairs = 0;
  for (const auto& rxd : fs::directory_iterator(corpus)) {
    if (rxd.path().extension() != ".rxd") continue;
    for (const auto& gdt : fs::directory_iterator(corpus)) {
      if (gdt.path().extension() != ".gdt") continue;
      SCOPED_TRACE(rxd.path().filename().string() + " with " + gdt.path().filename().string());
      Configuration c;
      const bool loads = kdv::files::decode_gdt(file_bytes(gdt.path()), c.flags) && kdv::files::decode_rxd(file_bytes(rxd.path()), c.rx);
      if (!loads) continue;  // the console refuses it too: nothing to export
      ++pairs;
      expect_exact(c);
    }
  }
  EXPECT_GE(pairs, 1);
}

struct Edge {
  const char* name;
  std::function<void(Configuration&)> change;
};

class TextFormatEdges : public ::testing::TestWithParam<Edge> {};

TEST_P(TextFormatEdges, SurviveExportAndImport) {
  Configuration c = kdv::model::fresh_configuration();
  GetParam().change(c);
  // What the console holds after a save and a load of it.
  Configuration loaded;
  ASSERT_TRUE(kdv::files::decode_gdt(kdv::files::encode_gdt(c.flags), loaded.flags));
  ASSERT_TRUE(kdv::files::decode_rxd(kdv::files::encode_rxd(c.rx), loaded.rx));
  expect_exact(loaded);
}

kdv::model::ChannelRecord& ch(Configuration& c, int t, int k) { return c.rx.TRANSMITTER[t].CHANNEL[k]; }

INSTANTIATE_TEST_SUITE_P(
    Values, TextFormatEdges,
    ::testing::Values(
        Edge{"DegreeSignTrailingBlanksAndUnofferedCodes",
             [](Configuration& c) {
               c.rx.TAG_FIELD = "PLANT 7  ";
               c.rx.TRANSMITTER[2].CJUNIT = std::string{kdv::model::kDegreeSign, 'C'};
               ch(c, 1, 3).VUNIT = std::string{' ', kdv::model::kOhmSign};
               ch(c, 1, 3).THC_DRIVE = 7;
               ch(c, 1, 4).INPUT_TYPE = 15;
               c.rx.DATA_FORMAT = 3;
               c.rx.MOD_BAUD = 0;
               c.rx.TRANSMITTER[3].TXTYPE = 9;
             }},
        Edge{"EveryByteOfCodePage437InATextAndControlBytes",
             [](Configuration& c) {
               for (int b = 0; b < 256; b += 20) {
                 std::string s;
                 for (int i = 0; i < 20; ++i) s += static_cast<char>(b + i < 256 ? b + i : ' ');
                 ch(c, 4, 1 + b / 20).VALUE = s;
               }
               c.rx.TAG_FIELD = "tab\there\x01\x7F\"\\";
             }},
        Edge{"RealsAtTheEdges",
             [](Configuration& c) {
               const double values[] = {-0.0, 0.1, 0.25, 5e-324, 2.2250738585072014e-308, 1e300,
                                        1.2345678901234567e19, 123456789012345680.0, -9007199254740993.0,
                                        std::numeric_limits<double>::max(), std::numeric_limits<double>::infinity(),
                                        -std::numeric_limits<double>::infinity(), std::nan("")};
               int k = 1;
               for (const double v : values) ch(c, 2, k++).SCALE_GAIN = v;
             }},
        Edge{"FlagsStatusAndChecksums",
             [](Configuration& c) {
               c.flags.RXCONFIG[0] = false;
               c.flags.RXCONFIG[5] = c.flags.RXCONFIG[15] = true;
               c.rx.CHECKSUM = std::numeric_limits<std::int32_t>::min();
               c.rx.RAMCHKSUM = -1;
               c.rx.STATUS2 = 0xFF;
               c.rx.HW2 = c.rx.SYSFAIL = true;
               c.rx.ADD_MODE = false;
               c.rx.NO_OF_TX = 4;
               ch(c, 1, 1).ALARM = kdv::model::kLow;
             }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextFormatRoundTrip, ANanTheDocumentCannotHoldIsNoted) {
  Configuration c = kdv::model::fresh_configuration();
  ch(c, 1, 2).SCALE_GAIN = std::bit_cast<double>(std::uint64_t{0xFFF8000000000001});
  std::vector<Finding> notes;
  kdv::files::write_text(c, &notes);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].key, "tx1.ch2.gain");
}

// ---- Validation ---------------------------------------------------------------------

// The export of a fresh configuration with lines replaced: in the table
// `table` (empty: the top level), the first line `old` becomes `now`.
struct Edit {
  std::string table, old, now;
};

std::string edited(const std::vector<Edit>& edits) {
  std::string doc = kdv::files::write_text(kdv::model::fresh_configuration());
  for (const Edit& e : edits) {
    const std::size_t from = e.table.empty() ? 0 : doc.find("\n[" + e.table + "]\n");
    const std::size_t at = doc.find("\n" + e.old + "\n", from);
    if (from == std::string::npos || at == std::string::npos) ADD_FAILURE() << "no " << e.old << " in " << e.table;
    else doc.replace(at + 1, e.old.size(), e.now);
  }
  return doc;
}

int line_of(const std::string& doc, const std::string& text) {
  const std::size_t at = doc.find("\n" + text + "\n");
  return at == std::string::npos ? -1 : static_cast<int>(std::count(doc.begin(), doc.begin() + at + 1, '\n')) + 1;
}

struct Case {
  const char* name;
  std::vector<Edit> edits;
  std::string key;       // the finding's key
  std::string at;        // its line's text
  bool error_when_lax;   // an error even without strict (else a warning)
};

class TextFormatValidation : public ::testing::TestWithParam<Case> {};

TEST_P(TextFormatValidation, NamesLineAndKeyAndHardensUnderStrict) {
  const Case& c = GetParam();
  const std::string doc = edited(c.edits);
  for (const bool strict : {false, true}) {
    SCOPED_TRACE(strict ? "strict" : "lax");
    const kdv::files::TextRead read = kdv::files::read_text(doc, {strict, kdv::link::why_uncarried});
    const auto f = std::find_if(read.findings.begin(), read.findings.end(),
                                [&](const Finding& x) { return x.key == c.key; });
    ASSERT_NE(f, read.findings.end());
    EXPECT_EQ(f->line, line_of(doc, c.at));
    EXPECT_EQ(f->severity == Finding::Severity::kError, c.error_when_lax || strict) << kdv::files::describe(*f, "doc");
    EXPECT_EQ(read.ok(), !(c.error_when_lax || strict));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextFormatValidation,
    ::testing::Values(
        Case{"UnknownKey", {{"tx1.ch3", "gain = 1", "gain = 1\ncolour = 1"}}, "tx1.ch3.colour", "colour = 1", true},
        Case{"ReportedTableWhereThereIsNone", {{"receiver", "stop_bits = 1", "stop_bits = 1\nreported.value = \"1\""}},
             "receiver.reported", "reported.value = \"1\"", true},
        Case{"TagOf26Characters",
             {{"receiver", "tag = \"Data not loaded          \"", "tag = \"ABCDEFGHIJKLMNOPQRSTUVWXYZ\""}},
             "receiver.tag", "tag = \"ABCDEFGHIJKLMNOPQRSTUVWXYZ\"", true},
        Case{"TextWhereANumberBelongs", {{"tx2.ch5", "high_alarm = 60", "high_alarm = \"hot\""}},
             "tx2.ch5.high_alarm", "high_alarm = \"hot\"", true},
        Case{"CodeBeyondItsField", {{"tx1.ch1", "drive = \"upscale\"", "drive = 256"}}, "tx1.ch1.drive",
             "drive = 256", true},
        Case{"NameNoCodeHas", {{"receiver", "baud = \"9600\"", "baud = \"9601\""}}, "receiver.baud",
             "baud = \"9601\"", true},
        Case{"InputTypeA572DoesNotOffer",
             {{"tx1", "type = \"571\"", "type = \"572\""}, {"tx1.ch2", "input_type = \"mV\"", "input_type = \"k thc with cj\""}},
             "tx1.ch2.input_type", "input_type = \"k thc with cj\"", false},
        Case{"NegativeLowAlarmUnderAUnipolarFormat",
             {{"receiver", "data_format = \"IEEE\"", "data_format = \"16BIT Unsigned\""},
              {"tx1.ch1", "low_alarm = -60", "low_alarm = -5"}},
             "tx1.ch1.low_alarm", "low_alarm = -5", false},
        Case{"NumberTooLongForTheLinksField", {{"tx1.ch4", "high_alarm = 60", "high_alarm = 12345678.25"}},
             "tx1.ch4.high_alarm", "high_alarm = 12345678.25", false},
        Case{"ControlByteInTheTag",
             {{"receiver", "tag = \"Data not loaded          \"", "tag = \"Data not loaded\\u0007         \""}},
             "receiver.tag", "tag = \"Data not loaded\\u0007         \"", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextFormatValidationOf, AWholeDocumentReportsEveryError) {
  const std::string doc = edited({{"receiver", "transmitters = 1", "transmitters = 5"},
                                  {"tx3.ch16", "gain = 1", "gain = true"},
                                  {"", "configured = [0]", "configured = [0, 16]"}});
  const kdv::files::TextRead read = kdv::files::read_text(doc);
  std::vector<std::string> keys;
  for (const Finding& f : read.findings) keys.push_back(f.key);
  EXPECT_EQ(keys, (std::vector<std::string>{"configured", "receiver.transmitters", "tx3.ch16.gain"}));
}

TEST(TextFormatValidationOf, ASyntaxErrorStopsAtTheFirst) {
  const std::string doc = edited({{"tx1.ch1", "gain = 1", "gain = = 1"}, {"tx1.ch2", "gain = 1", "gain = ]"}});
  const kdv::files::TextRead read = kdv::files::read_text(doc);
  ASSERT_EQ(read.findings.size(), 1u);
  EXPECT_EQ(read.findings[0].line, line_of(doc, "gain = = 1"));
}

TEST(TextFormatValidationOf, MissingKeysTakeAFreshConsolesValuesOrFailUnderStrict) {
  // A 572 under a unipolar format: init_transmitter of that type gives 20 and 4.
  std::string doc = "[receiver]\ndata_format = \"16bit unsigned\"\n[tx2]\ntype = \"572\"\n";
  const kdv::files::TextRead lax = kdv::files::read_text(doc);
  ASSERT_TRUE(lax.ok());
  Configuration want = kdv::model::fresh_configuration();
  want.rx.DATA_FORMAT = 4;
  for (int t = 1; t <= 4; ++t) kdv::model::init_transmitter(want.rx, t, t == 2 ? 2 : 1);
  EXPECT_EQ(images(lax.config), images(want));
  EXPECT_EQ(lax.config.rx.TRANSMITTER[1].CHANNEL[1].LOW_ALARM, 0);

  const kdv::files::TextRead strict = kdv::files::read_text(doc, {true, {}});
  EXPECT_FALSE(strict.ok());
  const auto gain = std::find_if(strict.findings.begin(), strict.findings.end(),
                                 [](const Finding& f) { return f.key == "tx2.ch1.gain"; });
  ASSERT_NE(gain, strict.findings.end());
  EXPECT_EQ(gain->line, 3);  // the [tx2] table holds it
}


// ---- Limits and rounding -------------------------------------------------------

struct Shape {
  const char* name;
  std::string doc;
  int line;              // of the error; -1: none from the limits
  const char* says = "";  // part of its text
};

std::string dotted(int parts) {
  std::string key = "k";
  for (int i = 1; i < parts; ++i) key += ".k";
  return key;
}

class DocumentLimits : public ::testing::TestWithParam<Shape> {};

TEST_P(DocumentLimits, IsRefusedBeforeParsingOnlyBeyondItsLimits) {
  const Shape& s = GetParam();
  const std::optional<Finding> refused = kdv::files::beyond_limits(s.doc);
  ASSERT_EQ(refused.has_value(), s.line >= 0) << (refused ? refused->text : "");
  if (!refused) return;
  EXPECT_EQ(refused->line, s.line);
  EXPECT_NE(refused->text.find(s.says), std::string::npos) << refused->text;
  EXPECT_FALSE(kdv::files::read_text(s.doc).ok());  // and the reader refuses it whole, without a crash
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DocumentLimits,
    ::testing::Values(
        Shape{"AKeyOfAThousandParts", "# one\n" + dotted(1000) + " = 1\n", 2, "16 levels"},
        Shape{"AKeyAtTheDepthLimit", "[" + dotted(15) + "]\nk = 1\n", -1},
        Shape{"ATableHeaderAddsToItsKeys", "[" + dotted(15) + "]\nk.k = 1\n", 2, "16 levels"},
        Shape{"NestedInlineTables", "[k]\nk = {k = {k = {k = {k = {k = {k = {k = {k = {k = {k = {k = {k = "
                                    "{k = {k = {k = 1}}}}}}}}}}}}}}}\n", 2, "16 levels"},
        Shape{"ArraysOverLines", "a = [\n" + std::string(20, '[') + "\n" + std::string(20, ']') + "]\n", 2, "16"},
        Shape{"DotsInStringsAndComments",
              "tag = \"" + dotted(20) + "\" # " + dotted(20) + "\nt = '''\n" + dotted(20) + " = [[[[\n'''\n" +
                  "u = \"\"\"\n\\\"\"\" " + dotted(20) + "\"\"\"\n",
              -1},
        Shape{"ALineOver4096Bytes", "a = 1\n#" + std::string(4096, 'x') + "\n", 2, "4097 bytes"},
        Shape{"ALineOf4096Bytes", "#" + std::string(4095, 'x') + "\n", -1},
        Shape{"OverTheSize", std::string(kdv::files::kDocumentBytesLimit - 1, '\n') + "#\n", 0, "262144"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextFormatValidationOf, ANumberTheLinkRoundsIsAWarningNamingWhatIsSent) {
  const std::string doc = edited({{"tx1.ch3", "high_alarm = 60", "high_alarm = 80.0004"},
                                  {"tx1.ch4", "high_alarm = 60", "high_alarm = 80.125"}});
  const kdv::files::TextRead read =
      kdv::files::read_text(doc, {false, kdv::link::why_uncarried, true, kdv::link::why_rounded});
  ASSERT_TRUE(read.ok());
  ASSERT_EQ(read.findings.size(), 1u);
  EXPECT_EQ(read.findings[0].key, "tx1.ch3.high_alarm");
  EXPECT_NE(read.findings[0].text.find("sends 80.000"), std::string::npos) << read.findings[0].text;
}

}  // namespace
