// The transfer fixture with the shipped screen definition files loaded, and
// the port list environment restored after each test.
#pragma once

#include <cstdlib>

#include "transfer/transfer_fixture.h"
#include "ui/screen_file_loading.h"

class MenuTest : public TransferTest {
 protected:
  void SetUp() override {
    TransferTest::SetUp();
    session.online = true;  // as the console starts
    kdv::ui::load_screen_files(session, KDV578_SOURCE_DIR "/data");
    if (const char* p = std::getenv("KDV578_PORTS")) saved_ports_ = p, had_ports_ = true;
  }
  void TearDown() override {
    if (had_ports_)
      setenv("KDV578_PORTS", saved_ports_.c_str(), 1);
    else
      unsetenv("KDV578_PORTS");
    TransferTest::TearDown();
  }

  static void offer_ports(const char* list) { setenv("KDV578_PORTS", list, 1); }

 private:
  std::string saved_ports_;
  bool had_ports_ = false;
};
