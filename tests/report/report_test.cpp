#include <gtest/gtest.h>

#include "model/session.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "files/scratch_dir.h"
#include "report/report.h"
#include "support/pty.h"

using namespace kdv::model;

namespace {

void set_messages(Session& session) {
  session.messages[27] = "   Upscale      ";
  session.messages[28] = "   Downscale    ";
  session.messages[29] = "   Off          ";
  session.messages[53] = " Writing report  ";
  session.messages[95] = "      N/A       ";
  session.messages[97] = " CJ sensor      ";
}

// A receiver with a type 571 transmitter (channel 1 compensated, so channel
// 16 is reserved; channel 2 of input type 15) and a type 572 transmitter.
Session two_transmitters() {
  Session session;
  init_model(session);
  ReceiverRecord& r = session.current_receiver();
  init_receiver(*session.receivers[0], 1);
  r.TAG_FIELD = "Boiler house north";
  r.HCAVER = "4.10";
  r.IPVER = "2.07";
  r.MOD_BAUD = 6;
  r.DATA_FORMAT = 3;
  r.MOD_DBITS = 1;
  r.UNITS = 1;
  r.MOD_PARITY = 2;
  r.MOD_STOP = 1;
  r.LINE_REJ = 1;
  r.NO_OF_TX = 2;
  ChannelRecord& c1 = r.TRANSMITTER[1].CHANNEL[1];
  c1.INPUT_TYPE = 8;
  c1.HIGH_ALARM = 100;
  c1.LOW_ALARM = 100;
  c1.THC_DRIVE = 1;
  c1.SCALE_IPZERO = -1234.5;
  c1.SCALE_OPZERO = 4;
  c1.SCALE_GAIN = 2.5;
  ChannelRecord& c2 = r.TRANSMITTER[1].CHANNEL[2];
  c2.INPUT_TYPE = 15;
  c2.HIGH_ALARM = -1234.5;
  c2.SCALE_IPZERO = 1.5;
  ChannelRecord& c3 = r.TRANSMITTER[1].CHANNEL[3];
  c3.HIGH_ALARM = -1234.5;
  c3.LOW_ALARM = -1234.5;
  c3.THC_DRIVE = 2;
  r.TRANSMITTER[1].CHANNEL[16].INPUT_TYPE = 3;
  r.TRANSMITTER[1].CHANNEL[16].HIGH_ALARM = 12;
  init_transmitter(*session.receivers[0], 2, 2);
  ChannelRecord& d2 = r.TRANSMITTER[2].CHANNEL[2];
  d2.INPUT_TYPE = 13;
  d2.HIGH_ALARM = 123456.75;
  d2.LOW_ALARM = -0.125;
  ChannelRecord& d3 = r.TRANSMITTER[2].CHANNEL[3];
  d3.INPUT_TYPE = 15;
  d3.THC_DRIVE = 2;
  d3.SCALE_OPZERO = -20;
  d3.SCALE_GAIN = 0.0625;
  return session;
}

const char* const kExpected =
R"(
               Configuration Report KDV 578 Modbus Multiplexer  
            ====================================================
       Tag Name: Boiler house north                  Date: 6/12/2026
       Software Versions: HCA 4.10
                           IP 2.07
       Baudrate:     9600                    Data Format:   unknown   
       Databits:      8                Temperature Units:  Centigrade
         Parity:     even
       Stopbits:      1
 Line Rejection:    60Hz

    Transmitter:   1 of 2     Type: KDV 571
-----------------------------------------------------------------------------
 Ch No  Input Type          Alarms               Scaling Parameters
-----------------------------------------------------------------------------
 1   J  THC with CJ   High :       100.  I/P Zero:     -1234.  Gain:         2.
Sfty Drive     N/A     Low :        100  O/P Zero:         4.

 2  Invalid  High :      N/A    I/P Zero:         1.  Gain:         1.
Sfty Drive     N/A     Low :      N/A    O/P Zero:         0.

 3       mV           High :     -1234.  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :      -1234  O/P Zero:         0.

 4       mV           High :        60.  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :        -60  O/P Zero:         0.

 5       mV           High :        60.  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :        -60  O/P Zero:         0.

 6       mV           High :        60.  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :        -60  O/P Zero:         0.

 7       mV           High :        60.  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :        -60  O/P Zero:         0.

 8       mV           High :        60.  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :        -60  O/P Zero:         0.

 9       mV           High :        60.  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :        -60  O/P Zero:         0.

10       mV           High :        60.  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :        -60  O/P Zero:         0.

11       mV           High :        60.  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :        -60  O/P Zero:         0.

12       mV           High :        60.  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :        -60  O/P Zero:         0.

13       mV           High :        60.  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :        -60  O/P Zero:         0.

14       mV           High :        60.  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :        -60  O/P Zero:         0.

15       mV           High :        60.  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :        -60  O/P Zero:         0.

16   CJ sensor        High :      N/A    I/P Zero:      N/A    Gain:      N/A  
Sfty Drive     N/A     Low :      N/A    O/P Zero:      N/A  

)" "\f"
R"(
    Transmitter:   2 of 2     Type: KDV 572
-----------------------------------------------------------------------------
 Ch No  Input Type          Alarms               Scaling Parameters
-----------------------------------------------------------------------------
 1        mA          High :        20.  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :          4  O/P Zero:         0.

 2     RTD ohmic      High :     123456  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :         -0  O/P Zero:         0.

 3       SQRT         High :        20.  I/P Zero:         0.  Gain:         0.
Sfty Drive     N/A     Low :          4  O/P Zero:       -20.

 4        mA          High :        20.  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :          4  O/P Zero:         0.

 5        mA          High :        20.  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :          4  O/P Zero:         0.

 6        mA          High :        20.  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :          4  O/P Zero:         0.

 7        mA          High :        20.  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :          4  O/P Zero:         0.

 8        mA          High :        20.  I/P Zero:         0.  Gain:         1.
Sfty Drive     N/A     Low :          4  O/P Zero:         0.

)" "\f";


TEST(ReportText, CompleteReportOfA571AndA572) {
  Session session = two_transmitters();
  set_messages(session);
  EXPECT_EQ(kdv::report::report_text(session, 0, {2026, 12, 6}), kExpected);
}

// Lines of a report, split at LF.
std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t nl; (nl = text.find('\n', from)) != std::string::npos; from = nl + 1)
    lines.push_back(text.substr(from, nl - from));
  lines.push_back(text.substr(from));
  return lines;
}

TEST(ReportText, HeaderCodesAndDriveTexts) {
  Session session = two_transmitters();
  set_messages(session);
  ReceiverRecord& r = session.current_receiver();
  r.NO_OF_TX = 1;
  r.TRANSMITTER[1].CHANNEL[1].INPUT_TYPE = 3;  // no compensated input: nothing reserved
  r.LINE_REJ = 0;
  r.DATA_FORMAT = 0;
  r.MOD_BAUD = 1;
  r.MOD_DBITS = 0;
  r.UNITS = 3;
  r.MOD_PARITY = 0;
  auto lines = lines_of(kdv::report::report_text(session, 0, {2027, 1, 31}));
  EXPECT_EQ(lines[3], "       Tag Name: Boiler house north                  Date: 31/1/2027");
  EXPECT_EQ(lines[6], "       Baudrate:      300                    Data Format:     IEEE      ");
  EXPECT_EQ(lines[7], "       Databits:      7                Temperature Units:  Kelvin    ");
  EXPECT_EQ(lines[8], "         Parity:     none");
  EXPECT_EQ(lines[10], " Line Rejection:    50Hz");
  EXPECT_EQ(lines[16], " 1    K  THC no CJ    High :       100.  I/P Zero:     -1234.  Gain:         2.");
  EXPECT_EQ(lines[17], "Sfty Drive  Downscale  Low :        100  O/P Zero:         4.");
  EXPECT_EQ(lines[23], "Sfty Drive  Off        Low :      -1234  O/P Zero:         0.");
  EXPECT_EQ(lines[61], "16    K  THC no CJ    High :        12.  I/P Zero:         0.  Gain:         1.");
  EXPECT_EQ(lines.back(), "\f");

  const std::vector<std::pair<int, std::string>> baud = {{7, "19200"}, {8, "38400"}, {0, "    0"}, {9, "    0"}};
  for (auto [code, text] : baud) {
    r.MOD_BAUD = static_cast<Byte>(code);
    EXPECT_EQ(lines_of(kdv::report::report_text(session, 0, {2026, 1, 1}))[6].substr(20, 5), text) << code;
  }
  const std::vector<std::pair<int, std::string>> formats = {
      {1, " reverse IEEE  "}, {4, " 16BIT Unsigned"}, {14, " 4DEC BCD comp "}, {16, "    3DEC BCD   "}, {15, "   unknown   "},
      {18, " 3DEC BCD comp "}, {19, "   unknown   "}, {2, "   unknown   "}};
  for (auto [code, text] : formats) {
    r.DATA_FORMAT = static_cast<Byte>(code);
    EXPECT_EQ(lines_of(kdv::report::report_text(session, 0, {2026, 1, 1}))[6].substr(57), text) << code;
  }
  r.UNITS = 0;
  r.MOD_PARITY = 7;
  lines = lines_of(kdv::report::report_text(session, 0, {2026, 1, 1}));
  EXPECT_EQ(lines[7].substr(57), "     ?    ");
  EXPECT_EQ(lines[8], "         Parity:     ?");
}

TEST(ReportText, TrimmedMessageTextsKeepTheColumns) {
  Session session = two_transmitters();
  set_messages(session);
  session.messages[28] = "  Downscale";  // a data file without trailing blanks
  session.messages[95] = "    N/A";
  session.messages[97] = "  CJ sensor";
  const auto lines = lines_of(kdv::report::report_text(session, 0, {2026, 1, 1}));
  EXPECT_EQ(lines[17], "Sfty Drive   N/A       Low :        100  O/P Zero:         4.");
  EXPECT_EQ(lines[61], "16    CJ sensor       High :    N/A      I/P Zero:    N/A      Gain:    N/A    ");
  session.current_receiver().TRANSMITTER[1].CHANNEL[1].INPUT_TYPE = 3;
  EXPECT_EQ(lines_of(kdv::report::report_text(session, 0, {2026, 1, 1}))[17],
            "Sfty Drive Downscale   Low :        100  O/P Zero:         4.");
}

TEST(ReportText, DamagedRecordStaysWithinItsTables) {
  Session session = two_transmitters();
  set_messages(session);
  ReceiverRecord& r = session.current_receiver();
  r.NO_OF_TX = 9;
  r.TRANSMITTER[1].CHANNEL[1].INPUT_TYPE = 3;
  r.TRANSMITTER[1].CHANNEL[1].THC_DRIVE = 200;
  r.TRANSMITTER[3].TXTYPE = 0;
  r.TRANSMITTER[4].TXTYPE = 255;
  const std::string text = kdv::report::report_text(session, 0, {2026, 1, 1});
  const auto lines = lines_of(text);
  EXPECT_EQ(lines[17], "Sfty Drive  unknown    Low :        100  O/P Zero:         4.");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 4);
  EXPECT_NE(text.find("    Transmitter:   4 of 9     Type: KDV 57255\n"), std::string::npos);
}

class ReportOutput : public ScratchDir {};

TEST_F(ReportOutput, FilesPrintersAndSpoolers) {
  EXPECT_TRUE(kdv::report::print_report("out.txt", "abc\f"));
  EXPECT_EQ(bytes_of("out.txt"), (std::vector<std::uint8_t>{'a', 'b', 'c', '\f'}));
  std::filesystem::create_directory("sub");
  EXPECT_TRUE(kdv::report::print_report("sub\\..\\out.txt", "x"));  // "\" typed by habit
  EXPECT_EQ(bytes_of("out.txt").size(), 1u);
  EXPECT_FALSE(kdv::report::print_report("nodir/out.txt", "x"));
  EXPECT_FALSE(kdv::report::print_report("", "x"));

  ::setenv("KDV578_LPT2", "printer2.txt", 1);
  ::setenv("KDV578_LPT3", "|cat > spooled.txt", 1);
  EXPECT_EQ(kdv::report::destination_path("lpt2"), "printer2.txt");
  EXPECT_TRUE(kdv::report::print_report("LPT3", "spooled"));
  EXPECT_EQ(bytes_of("spooled.txt").size(), 7u);
  ::setenv("KDV578_LPT3", "|exit 3", 1);
  EXPECT_FALSE(kdv::report::print_report("LPT3", std::string(1 << 20, 'x')));  // spooler gone: no crash
  ::unsetenv("KDV578_LPT2");
  ::unsetenv("KDV578_LPT3");
  const std::string lpt1 = kdv::report::destination_path("LPT1");
  EXPECT_TRUE(lpt1 == "/dev/usb/lp0" || lpt1 == "/dev/lp0") << lpt1;
  EXPECT_EQ(kdv::report::destination_path("LPT4"), "LPT4");
}

TEST_F(ReportOutput, PrinterOpensOnlyAnExistingCharacterDevice) {
  write_bytes("printer.txt", {'o', 'l', 'd'});
  std::filesystem::create_directory("folder");
  testpty::Pty printer;  // stands in for the printer
  const std::string device = ::ttyname(printer.slave());
  for (const char* path : {"printer.txt", "absent", "folder", device.c_str()}) {
    ::setenv("KDV578_LPT1", path, 1);
    EXPECT_EQ(kdv::report::print_report("lpt1", "report"), path == device) << path;
  }
  ::unsetenv("KDV578_LPT1");
  EXPECT_EQ(printer.read(), "report");
  EXPECT_EQ(bytes_of("printer.txt").size(), 3u);
  EXPECT_EQ(entries(), (std::vector<std::string>{"folder", "printer.txt"}));
}

TEST_F(ReportOutput, SpoolerOutputNeverReachesTheScreen) {
  const int screen = ::open("screen", O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  const int saved[2] = {::dup(1), ::dup(2)};
  for (int fd : {1, 2}) ::dup2(screen, fd);
  for (const char* spooler :
       {"|echo queued; echo offline >&2; cat > spooled.txt", "|no-such-spooler"}) {
    ::setenv("KDV578_LPT3", spooler, 1);
    kdv::report::print_report("LPT3", "spooled");
  }
  for (int fd : {1, 2}) ::dup2(saved[fd - 1], fd);
  for (int fd : {screen, saved[0], saved[1]}) ::close(fd);
  ::unsetenv("KDV578_LPT3");
  EXPECT_EQ(bytes_of("spooled.txt").size(), 7u);
  EXPECT_EQ(bytes_of("screen").size(), 0u);
}

}  // namespace
