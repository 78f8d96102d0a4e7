#include "monitor/live_monitor.h"

#include <array>
#include <functional>


#include "app/startup.h"
#include "link/command_set.h"
#include "monitor/sim_menu_fixture.h"

using namespace kdv::model;

namespace {

class LiveMonitor : public SimMenuTest {
 protected:
  void SetUp() override {
    SimMenuTest::SetUp();
    session.transmitter_number = 1;
    session.channel_number = 1;
  }

  // Runs live loop `loop` until `passes` passes have been drawn, then ends
  // it with Escape during the next pass's first exchange. `between(n)` runs
  // when pass n + 1 begins, `snap` sees the screen of the last full pass.
  void run_passes(void (*loop)(kdv::model::Session&), int passes, const std::function<void(int)>& between = {},
                  const std::function<void()>& snap = {}) {
    int begun = 0;
    term.on_wait = [&] {
      const int cj = requests(kdv::link::kCommandColdJunction);
      if (cj == begun) return;
      begun = cj;
      if (begun == passes + 1) {
        if (snap) snap();
        term.exchanges_see_keys = true;
        term.escape();
      } else if (between) {
        between(begun - 1);
      }
    };
    loop(session);
    term.on_wait = nullptr;
  }

  // The value and alarm columns of channel i as live_all_channels_loop draws them.
  static int list_x(int i, int half) { return i <= half ? 8 : 47; }
  static int list_row(int i, int half) { return i <= half ? i + 7 : i + 7 - half; }
};

TEST_F(LiveMonitor, Type572ListFillsRows8To11WithStatusRows12To14) {
  rx.state().TRANSMITTER[1].TXTYPE = 2;
  std::array<std::string, 9> shown;
  run_passes(kdv::monitor::live_all_channels_loop, 2, {}, [&] {
    for (int i = 1; i <= 8; ++i) shown[i] = at(list_x(i, 4) + 12, list_row(i, 4), 11);
    EXPECT_EQ(at(8, 8, 12), "Channel  1  ");
    EXPECT_EQ(at(8, 11, 12), "Channel  4  ");
    EXPECT_EQ(at(47, 8, 12), "Channel  5  ");
    EXPECT_EQ(at(47, 11, 12), "Channel  8  ");
    EXPECT_EQ(at(8, 12, msg(39).size()), msg(39));
    EXPECT_EQ(at(20, 12, 12), "      N/A   ");
    EXPECT_EQ(at(47, 12, msg(40).size()), msg(40));
    EXPECT_EQ(at(8, 13, msg(41).size() + 2), msg(41) + " 1");
    EXPECT_EQ(at(47, 13, msg(41).size() + 2), msg(41) + " 2");
    EXPECT_EQ(at(8, 14, 10), "QDU 57    ");
    EXPECT_EQ(at(18, 14, msg(56).size()), msg(56));
    EXPECT_EQ(at(8, 15, 12), std::string(12, ' '));
  });
  for (int i = 1; i <= 8; ++i) {
    EXPECT_EQ(shown[i], session.current_receiver().TRANSMITTER[1].CHANNEL[i].VALUE.view()) << i;
    EXPECT_NE(shown[i], std::string(11, ' ')) << i;
  }
  EXPECT_EQ(requests(kdv::link::kCommandValues), 2);
  // After the loop the settings background is back.
  EXPECT_EQ(at(41, 20, 8), "SETTINGS");
  EXPECT_EQ(at(8, 8, 12), std::string(12, ' '));
  EXPECT_EQ(term.bells, 0);
}

TEST_F(LiveMonitor, Type571ListFillsRows8To15WithStatusRows16To18AndMovingValues) {
  rx.state().TRANSMITTER[1].TXTYPE = 1;
  std::string first, second;
  run_passes(
      kdv::monitor::live_all_channels_loop, 2, [&](int pass) { if (pass == 1) first = at(20, 8, 11); },
      [&] {
        second = at(20, 8, 11);
        EXPECT_EQ(at(8, 15, 12), "Channel  8  ");
        EXPECT_EQ(at(47, 8, 12), "Channel  9  ");
        EXPECT_EQ(at(47, 15, 12), "Channel 16  ");
        const TransmitterRecord& tx = session.current_receiver().TRANSMITTER[1];
        EXPECT_EQ(at(20, 16, 13), tx.CJTEMP.str() + tx.CJUNIT.str());
        EXPECT_EQ(at(8, 17, msg(41).size() + 2), msg(41) + " 1");
        EXPECT_EQ(at(8, 18, 10), "QDU 57    ");
      });
  EXPECT_NE(first, second);
  EXPECT_FALSE(session.current_receiver().TRANSMITTER[1].CJTEMP.empty());
}

TEST_F(LiveMonitor, AlarmsAndFailedHighwayOnTheErrorColour) {
  TransmitterRecord& tx = rx.state().TRANSMITTER[1];
  tx.TXTYPE = 2;
  tx.CHANNEL[1].HIGH_ALARM = -1e6;  // always above
  tx.CHANNEL[2].LOW_ALARM = 1e6;    // always below
  tx.CHANNEL[2].HIGH_ALARM = 2e6;
  tx.CHANNEL[3].LOW_ALARM = -1e6;
  tx.CHANNEL[3].HIGH_ALARM = 1e6;
  rx.state().HW1 = true;
  rx.state().HW2 = false;
  run_passes(kdv::monitor::live_all_channels_loop, 1, {}, [&] {
    const std::string high = msg(43) + " ";
    const int end = static_cast<int>(high.size());
    EXPECT_EQ(at(31, 8, 1), " ");
    EXPECT_EQ(screen().bg(31, 8), session.background);
    EXPECT_EQ(at(32, 8, end), high);
    EXPECT_EQ(screen().bg(32, 8), session.error_bar);
    EXPECT_EQ(screen().bg(32 + end - 1, 8), session.error_bar);
    const std::string low = msg(44) + "  ";
    EXPECT_EQ(at(32, 9, low.size()), low);
    EXPECT_EQ(screen().bg(32 + static_cast<int>(low.size()) - 1, 9), session.error_bar);
    EXPECT_EQ(at(31, 10, 8), std::string(8, ' '));
    EXPECT_EQ(screen().bg(32, 10), session.background);
    // Highway 1 healthy, highway 2 failed.
    EXPECT_EQ(at(23, 13, msg(45).size() + 3), msg(45) + "   ");
    EXPECT_EQ(screen().bg(23, 13), session.background);
    EXPECT_EQ(at(62, 13, msg(46).size()), msg(46));
    EXPECT_EQ(screen().bg(62, 13), session.error_bar);
  });
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[1].ALARM, kHigh);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[2].ALARM, kLow);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[3].ALARM, kOff);
}

TEST_F(LiveMonitor, FailedTransmitterDrawsValuesThenShowsTxFailedWithBellFor5Seconds) {
  rx.state().TRANSMITTER[1].TXTYPE = 2;
  rx.faults.tx_failed = true;
  run_passes(kdv::monitor::live_all_channels_loop, 1, {}, [&] {
    EXPECT_EQ(at(20, 8, 11), session.current_receiver().TRANSMITTER[1].CHANNEL[1].VALUE.view());
    EXPECT_EQ(at(5, 23, 10), " Tx Failed");
    EXPECT_EQ(screen().bg(5, 23), session.error_bar);
  });
  EXPECT_EQ(term.bells, 1);
  ASSERT_FALSE(term.delays.empty());
  EXPECT_EQ(term.delays.front(), 5000u);
}

TEST_F(LiveMonitor, WrongReplyKeepsLastGoodValuesShowsTheErrorAndPollingGoesOn) {
  rx.state().TRANSMITTER[1].TXTYPE = 2;
  rx.faults.only_command = kdv::link::kCommandValues;
  // A reply is built as soon as its request is complete, so a fault switched
  // here hits the requests after the one just counted.
  int vals_seen = 0, cj_seen = 0;
  std::string good, during, after, erased;
  term.on_wait = [&] {
    if (during.empty() && at(5, 23, 17) == " Invalid Response") {
      during = at(20, 8, 11);
      EXPECT_EQ(screen().bg(5, 23), session.error_bar);
    }
    const int vals = requests(kdv::link::kCommandValues);
    if (vals != vals_seen) {
      vals_seen = vals;
      if (vals == 1) rx.faults.wrong_frame = 4;  // pass 2 reads twice and fails
      if (vals == 3) rx.faults.wrong_frame = 0;  // pass 3 succeeds
    }
    const int cj = requests(kdv::link::kCommandColdJunction);
    if (cj != cj_seen) {
      cj_seen = cj;
      if (cj == 2) good = at(20, 8, 11);  // pass 1 drawn
      if (cj == 4) {                       // pass 3 drawn
        after = at(20, 8, 11);
        erased = at(5, 23, 27);
        term.exchanges_see_keys = true;
        term.escape();
      }
    }
  };
  kdv::monitor::live_all_channels_loop(session);
  EXPECT_EQ(vals_seen, 4);
  EXPECT_EQ(during, good);
  EXPECT_NE(after, good);
  EXPECT_EQ(erased, std::string(27, ' '));
  EXPECT_EQ(term.bells, 1);
  ASSERT_EQ(term.delays.size(), 1u);
  EXPECT_EQ(term.delays[0], 5000u);
}

TEST_F(LiveMonitor, SilentReceiverEndsTheLoopWithoutErrorAndTheMenuReturns) {
  rx.faults.no_reply = true;
  term.enter();   // "Monitor all" is highlighted first
  term.escape();  // leaves the menu once it is back
  kdv::monitor::all_channels_monitor_menu(session, kdv::app::monitor_editors().choose_transmitter);
  EXPECT_EQ(term.keys_left(), 0u);
  EXPECT_EQ(term.bells, 0);
  EXPECT_TRUE(term.delays.empty());
  EXPECT_EQ(at(5, 23, 12), std::string(12, ' '));
  EXPECT_GE(plug.waited_ms, 1000u);
  EXPECT_EQ(requests(kdv::link::kCommandColdJunction), 1);
  EXPECT_EQ(requests(kdv::link::kCommandValues), 0);
}

TEST_F(LiveMonitor, EscapeEndsTheLoopAndTheChannelListMenuComesBack) {
  rx.state().TRANSMITTER[1].TXTYPE = 2;
  term.enter();
  term.on_wait = [&] {
    if (requests(kdv::link::kCommandValues) == 2 && !term.exchanges_see_keys) {
      term.exchanges_see_keys = true;
      term.escape();  // taken by the exchange: ends the loop
      term.escape();  // taken by the menu that comes back
    }
  };
  kdv::monitor::all_channels_monitor_menu(session, kdv::app::monitor_editors().choose_transmitter);
  EXPECT_EQ(term.keys_left(), 0u);
  EXPECT_TRUE(term.delays.empty());
  EXPECT_EQ(term.bells, 0);
  EXPECT_EQ(requests(kdv::link::kCommandValues), 2);
}

TEST_F(LiveMonitor, SingleChannelPanelShowsValueAlarmCjAndHighways) {
  TransmitterRecord& tx = rx.state().TRANSMITTER[1];
  tx.TXTYPE = 1;
  tx.CHANNEL[3].HIGH_ALARM = -1e6;
  rx.state().HW1 = false;
  rx.state().HW2 = true;
  rx.faults.hht = true;
  session.channel_number = 3;
  run_passes(kdv::monitor::live_channel_loop, 1, {}, [&] {
    const ChannelRecord& ch = session.current_receiver().TRANSMITTER[1].CHANNEL[3];
    EXPECT_EQ(at(61, 8, 12), ch.VALUE.str() + " ");
    EXPECT_EQ(at(66, 10, msg(43).size()), msg(43));
    EXPECT_EQ(screen().bg(66, 10), session.error_bar);
    const TransmitterRecord& t = session.current_receiver().TRANSMITTER[1];
    EXPECT_EQ(at(61, 12, 14), t.CJTEMP.str() + " " + t.CJUNIT.str());
    EXPECT_EQ(at(65, 14, msg(46).size()), msg(46));
    EXPECT_EQ(screen().bg(65, 14), session.error_bar);
    EXPECT_EQ(at(65, 16, msg(45).size() + 4), msg(45) + "    ");
    EXPECT_EQ(at(60, 18, msg(57).size()), msg(57));
  });
  EXPECT_EQ(requests(kdv::link::kCommandInput), 1);
  // With the hand-held configurator active a reading waits half a second.
  ASSERT_FALSE(term.delays.empty());
  EXPECT_EQ(term.delays.front(), 500u);
}

TEST_F(LiveMonitor, SingleChannelOnType572ShowsNoCjReading) {
  rx.state().TRANSMITTER[1].TXTYPE = 2;
  run_passes(kdv::monitor::live_channel_loop, 1, {}, [&] { EXPECT_EQ(at(61, 12, 9), "      N/A"); });
}

// The single-channel monitor menu: value column (after the 15-character
// labels at column 4 and three blanks) and panel labels.
class ChannelMonitorMenu : public LiveMonitor {
 protected:
  std::string value(int row) { return at(22, 7 + row, 16); }
  void show() {
    term.escape();
    kdv::monitor::channel_monitor_menu(session, kdv::app::monitor_editors());
  }
};

TEST_F(ChannelMonitorMenu, ValueColumnAndPanelLabels) {
  session.channel_number = 12;
  session.current_receiver().UNITS = 2;
  ChannelRecord& ch = session.current_receiver().TRANSMITTER[1].CHANNEL[12];
  ch.INPUT_TYPE = 3;
  ch.THC_DRIVE = 1;
  ch.HIGH_ALARM = 100;
  ch.LOW_ALARM = -1234.5;
  ch.SCALE_GAIN = 2;
  show();
  EXPECT_EQ(value(1), "      1         ");
  EXPECT_EQ(value(2), "     12         ");
  EXPECT_EQ(value(3).substr(0, 7), std::string("     ") + kDegreeSign + "F");
  EXPECT_EQ(value(5).substr(0, msg(28).size()), msg(28));
  EXPECT_EQ(value(6), "  100.0000      ");
  EXPECT_EQ(value(7), "-1234.5000      ");
  EXPECT_EQ(value(10), "    2.0000      ");
  EXPECT_EQ(at(47, 8, 12), "Channel 12  ");
  EXPECT_EQ(at(47, 10, msg(42).size()), msg(42));
  EXPECT_EQ(at(47, 14, msg(41).size() + 6), msg(41) + " 1    ");
  EXPECT_EQ(at(47, 16, msg(41).size() + 6), msg(41) + " 2    ");
  EXPECT_EQ(at(47, 18, 10), "QDU 57    ");
}

TEST_F(ChannelMonitorMenu, InputType15OnType571ShowsNotApplicableDrive) {
  session.current_receiver().TRANSMITTER[1].CHANNEL[1].INPUT_TYPE = 15;
  show();
  EXPECT_EQ(value(4).substr(0, 7), "Invalid");
  EXPECT_EQ(value(5).substr(0, msg(98).size()), msg(98));
  EXPECT_EQ(value(6), "   60.0000      ");
}

TEST_F(ChannelMonitorMenu, UnitsOutsideTheirRangeShowError) {
  session.current_receiver().UNITS = 0;
  show();
  EXPECT_EQ(value(3), "error           ");
  session.current_receiver().UNITS = 4;
  show();
  EXPECT_EQ(value(3), "error           ");
  session.current_receiver().UNITS = 3;
  show();
  EXPECT_EQ(value(3), "      K         ");
}

TEST_F(ChannelMonitorMenu, ReservedChannel16AndType572Rows) {
  session.current_receiver().NO_OF_TX = 2;
  TransmitterRecord& tx = session.current_receiver().TRANSMITTER[1];
  tx.CHANNEL[1].INPUT_TYPE = 8;  // a compensated thermocouple reserves channel 16
  tx.CHANNEL[16].INPUT_TYPE = 15;
  session.channel_number = 16;
  show();
  EXPECT_TRUE(session.reserved_channel);
  EXPECT_EQ(value(4).substr(0, msg(16).size()), msg(16));
  for (int row = 5; row <= 10; ++row) EXPECT_EQ(value(row).substr(0, msg(98).size()), msg(98)) << row;
  tx.CHANNEL[16].INPUT_TYPE = 13;
  show();
  EXPECT_EQ(value(4).substr(0, msg(97).size()), msg(97));

  session.transmitter_number = 2;
  session.channel_number = 2;
  session.current_receiver().TRANSMITTER[2].TXTYPE = 2;
  session.current_receiver().TRANSMITTER[2].CHANNEL[2].HIGH_ALARM = 20;
  show();
  EXPECT_FALSE(session.reserved_channel);
  EXPECT_EQ(value(4), "      mA        ");
  EXPECT_EQ(value(5).substr(0, msg(98).size()), msg(98));
  EXPECT_EQ(value(6), "   20.0000      ");
}

TEST_F(ChannelMonitorMenu, SettingsAreEditedFromTheMonitorMenuAndSentOnline) {
  session.online = true;
  for (int i = 1; i < 6; ++i) term.down();  // high alarm
  term.enter();
  term.type("75");
  term.enter();
  show();
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[1].HIGH_ALARM, 75);
  EXPECT_EQ(rx.state().TRANSMITTER[1].CHANNEL[1].HIGH_ALARM, 75);
  EXPECT_EQ(value(6), "   75.0000      ");
  EXPECT_EQ(requests(kdv::link::kCommandAlarms), 1);
}

// Editors that only note their name, for the menus' cells.
kdv::monitor::ChannelEditors noting_editors(std::string& ran) {
  auto noting = [&ran](const char* name) { return [&ran, name](Session&) { ran.append(name).append(" "); }; };
  return {noting("transmitter"), noting("channel"),    noting("units"),       noting("input-type"),
          noting("drive"),       noting("high-alarm"), noting("low-alarm"),   noting("input-zero"),
          noting("output-zero"), noting("gain")};
}

TEST_F(ChannelMonitorMenu, EachEditingCellRunsItsOwnEditor) {
  std::string ran;
  term.enter();
  for (int cell = 2; cell <= 10; ++cell) {
    term.down();
    term.enter();
  }
  term.escape();
  kdv::monitor::channel_monitor_menu(session, noting_editors(ran));
  EXPECT_EQ(ran, "transmitter channel units input-type drive high-alarm low-alarm input-zero output-zero gain ");
  EXPECT_EQ(requests(kdv::link::kCommandColdJunction), 0);
}

TEST_F(LiveMonitor, TheAllChannelsTransmitterCellRunsTheGivenChoice) {
  std::string ran;
  term.up();
  term.enter();
  term.escape();
  kdv::monitor::all_channels_monitor_menu(session, noting_editors(ran).choose_transmitter);
  EXPECT_EQ(ran, "transmitter ");
  EXPECT_EQ(requests(kdv::link::kCommandColdJunction), 0);
}

TEST_F(ChannelMonitorMenu, LiveItemRunsThePanelAndTheMenuReturns) {
  rx.faults.no_reply = true;
  for (int i = 1; i < 11; ++i) term.down();
  term.enter();
  term.escape();
  kdv::monitor::channel_monitor_menu(session, kdv::app::monitor_editors());
  EXPECT_EQ(requests(kdv::link::kCommandColdJunction), 1);
  EXPECT_EQ(term.keys_left(), 0u);
  EXPECT_EQ(session.cursor_column, 1);
  EXPECT_EQ(session.cursor_row, 1);
}

}  // namespace
