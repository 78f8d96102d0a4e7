#include "app/signoff.h"

#include <string>

#include "model/globals.h"
#include "transfer/download.h"
#include "ui/crt.h"
#include "ui/wind.h"

namespace project1 {

using namespace globals;

bool SIGNOFFMESS(const globals::Session& session) {
  constexpr int X = 22, Y = 15;
  wind::NORMAL(session);
  crt::Window(X - 1, Y - 1, X + 35, Y + 6);
  crt::ClrScr();
  wind::SETWINDOW(X, Y, 36, 7);
  crt::GotoXY(15, 1);
  crt::Write("SIGNOFF");
  crt::GotoXY(3, 3);
  crt::Write("Before sending this command the");
  crt::GotoXY(3, 4);
  crt::Write("configuration link on the KDV578");
  crt::GotoXY(3, 5);
  crt::Write("should be removed.");
  wind::NORMAL(session);
  crt::Window(1, 1, 80, 25);
  crt::GotoXY(1, 25);
  crt::TextBackground(0);
  crt::Write(std::string(22, ' '));
  crt::TextBackground(session.ERRBAR);
  crt::Write(" Any key to Continue, ESC to abort");
  const bool go_on = crt::ReadKey() != crt::KEY_ESC;
  wind::NORMAL(session);
  crt::Window(1, 1, 80, 25);
  return go_on;
}

void SIGNOFF(globals::Session& session) {
  const bool go_on = SIGNOFFMESS(session);
  crt::Window(1, 1, 80, 25);
  crt::TextBackground(0);
  crt::GotoXY(1, 25);
  crt::Write(session.MESSAGE[53]);
  if (!go_on) return;
  const comms::Outcome outcome = download::sign_off(session, session.RECNO);
  crt::GotoXY(1, 25);
  crt::Write(std::string(12, ' '));
  if (!outcome.ok()) {
    crt::Window(1, 1, 80, 25);
    crt::GotoXY(5, 23);
    crt::TextBackground(session.ERRBAR);
    crt::Write(outcome.text);
    crt::Write('\a');
    crt::Delay(2000);
  }
}

}  // namespace project1
