// The request/reply frame, its exchange with retry, the error texts, and the
// helpers that turn reply bytes into numbers and numbers into parameters.
#include <algorithm>
#include <charconv>
#include <string>

#include "link/link_private.h"
#include "model/globals.h"
#include "ui/crt.h"

namespace comms {

using namespace globals;

std::unique_ptr<SerialPort> SERIAL1;
std::array<std::uint8_t, 513> RXMSG{};
std::array<std::uint8_t, 256> PARRAY{};
std::int32_t MSGLENGTH = 0;
bool TIMEOUT = false;

namespace {

PortFactory port_factory;

// ERRMSG for the refusal codes 0..7 the receiver reports; any other code is
// shown by its number.
constexpr std::string_view REFUSALS[] = {
    " Protocol Error", " Wrong Parameters", " Tx/Ch Invalid", " Param Overange",
    " Tx Error",       " Context Error",    " Unknown Error", " Write Disabled"};

constexpr std::string_view ABORTED = "  ABORTED   ";

bool is_digit(std::uint8_t c) { return c >= '0' && c <= '9'; }

// Judges a complete reply and sets the shared flags.
void judge(int receiver) {
  if (RECIEVER_DATA* rec = RECEIVER[receiver]) {
    rec->STATUS1 = RXMSG[1];
    rec->STATUS2 = RXMSG[2];
  }
  const bool bad_frame = !RXMSGOK(receiver);
  const bool refused = TSTBIT(RXMSG[2], 3);
  const bool too_short = CRCERROR();
  OLDVALS = TSTBIT(RXMSG[2], 1);
  if (OLDVALS) ERRMSG = " Tx Failed";
  MSGERROR = bad_frame || refused || too_short;
  if (bad_frame) ERRMSG = " Invalid Response";
  if (too_short) ERRMSG = " CRC Error";
  if (refused) {
    const std::uint8_t code = static_cast<std::uint8_t>(REPLY(7) - 0x30);
    if (code < std::size(REFUSALS))
      ERRMSG = REFUSALS[code];
    else
      ERRMSG = " Refused code " + std::to_string(code);
  }
  HHT = QDU57();
}

// The number text an ENQUIRE field starts at i: digits 10..15 arrive as
// ":" to "?" and read as "10" to "15".
std::string enquire_number(int& i) {
  std::string text;
  for (;; ++i) {
    const std::uint8_t c = REPLY(i);
    if (c >= 0x3A && c <= 0x3F) {
      text += '1';
      text += static_cast<char>(c - 0x0A);
    } else if (is_digit(c) || c == '+' || c == '-' || c == '.' || c == 'E' || c == 'e') {
      text += static_cast<char>(c);
    } else {
      break;
    }
  }
  return Text<20>(text).str();
}

}  // namespace

void SetPortFactory(PortFactory factory) {
  SERIAL1.reset();  // the open port came from the previous factory
  port_factory = std::move(factory);
}

void RESET_STATE() {
  SERIAL1.reset();
  RXMSG = {};
  PARRAY = {};
  MSGLENGTH = 0;
  TIMEOUT = false;
}

std::uint8_t REPLY(int i) {
  if (i < 0 || i > MSGLENGTH || i >= static_cast<int>(RXMSG.size())) return 0;
  return RXMSG[static_cast<std::size_t>(i)];
}

void INIT_COMPORT(std::string_view name) {
  SERIAL1.reset();
  SERIAL1 = port_factory ? port_factory() : std::make_unique<TBlockSerial>();
  SERIAL1->CONNECT(name);
  SERIAL1->CONFIG(9600, 8, 'N', 0, false, false);
}

void AUXOUT(int, std::uint8_t b) {
  if (SERIAL1) SERIAL1->SENDBYTE(b);
}

std::uint8_t AUXIN(int) {
  crt::Present();  // progress texts show while the link waits
  return SERIAL1 ? SERIAL1->RECVBYTE(RECEIVE_TIMEOUT_MS) : 0;
}

bool ISESCAPE() { return crt::KeyPressed() && crt::ReadKey() == crt::KEY_ESC; }

void POLL_RX(int port, int receiver, int command, int n) {
  TIMEOUT = false;
  BREAKOUT = false;
  std::fill_n(RXMSG.begin(), 11, 0);
  auto send = [port](std::uint8_t b) {
    AUXOUT(port, b);
    if (ISESCAPE()) BREAKOUT = true;
    return !BREAKOUT;
  };
  const std::uint8_t header[] = {STX, STX, 'c', static_cast<std::uint8_t>(0x50 + receiver),
                                 static_cast<std::uint8_t>(0x30 + command)};
  for (std::uint8_t b : header)
    if (!send(b)) return;
  for (int i = 0; i < n; ++i)
    if (!send(PARRAY[static_cast<std::size_t>(i)])) return;
  AUXOUT(port, ETX);
}

void GET_DATA(int port) {
  auto abandon = [](bool receiving) {
    crt::GotoXY(1, 25);
    if (receiving) crt::Write("Write Error               ");
    BREAKOUT = true;
    TIMEOUT = true;
  };
  // The STX must come among the first four bytes; a time-out reads as 0.
  for (int read = 1;; ++read) {
    RXMSG[0] = AUXIN(port);
    if (read == 5 || ISESCAPE()) return abandon(false);
    if (RXMSG[0] == STX) break;
  }
  for (std::size_t i = 1;; ++i) {
    RXMSG[i] = AUXIN(port);
    if (i == 512 || ISESCAPE()) return abandon(true);
    if (RXMSG[i] == ETX) {
      MSGLENGTH = static_cast<std::int32_t>(i);
      return;
    }
  }
}

bool TSTBIT(std::uint8_t d, int bit) { return (d & (1u << bit)) != 0; }

bool RXMSGOK(int receiver) {
  return !TIMEOUT && RXMSG[0] == STX && RXMSG[3] == 0x62 && RXMSG[4] == 0x50 + receiver;
}

bool HIGHWAYOK(int highway) {
  if (highway == 1) return TSTBIT(RXMSG[1], 2);
  if (highway == 2) return TSTBIT(RXMSG[1], 1);
  return false;
}

bool QDU57() { return TSTBIT(RXMSG[2], 2); }
bool ELDINPUT() { return !TSTBIT(RXMSG[1], 0); }
bool CRCERROR() { return MSGLENGTH <= 6; }

void DISCOURSE(int port, int receiver, int command, int n) {
  if (MSGERROR) return;
  for (int attempt = 1;; ++attempt) {
    INIT_COMPORT(SELECTED_PORT_NAME);
    POLL_RX(port, receiver, command, n);
    if (!TIMEOUT && !BREAKOUT) GET_DATA(port);
    if (TIMEOUT || BREAKOUT) {
      MSGERROR = true;
      ERRMSG = ABORTED;
      return;
    }
    judge(receiver);
    if (!MSGERROR || attempt == 2) return;
  }
}

void ENQUIRE(int receiver, int command, int n, int fields, double& a, double& b) {
  int attempts = 0;
  bool again = false;
  do {
    again = false;
    if (MSGERROR) return;
    ++attempts;
    DISCOURSE(PORT, receiver, command, n);
    if (BREAKOUT || MSGERROR) return;
    // The numbers follow the first CR, or the second when parameters were sent.
    int i = 1;
    while (i <= MSGLENGTH && REPLY(i) != CR) ++i;
    if (n > 0)
      for (++i; i <= MSGLENGTH && REPLY(i) != CR;) ++i;
    ++i;
    for (int k = 1; k <= fields; ++k) {
      while (std::string_view("\n\r HLR").find(static_cast<char>(REPLY(i))) !=
             std::string_view::npos)
        ++i;
      double x = 0;
      if (DECIMAL(enquire_number(i), x)) {
        (k == 1 ? a : b) = x;
      } else {
        again = true;
        if (attempts == 2) {
          MSGERROR = true;
          ERRMSG = " Data Error";
        }
      }
    }
  } while (again && !MSGERROR);
}

bool GETPARAMETER(int& index, double& x) {
  auto numeric = [](std::uint8_t c) { return is_digit(c) || c == '.' || c == ':' || c == ';'; };
  const int start = index;
  while (index <= MSGLENGTH && !numeric(REPLY(index))) ++index;
  // A minus sign right before the digits belongs to the number.
  std::string text = index > start && REPLY(index - 1) == '-' ? "-" : "";
  for (; numeric(REPLY(index)); ++index) text += static_cast<char>(REPLY(index));
  double value = 0;
  if (!DECIMAL(text, value)) return false;
  x = value;
  return true;
}

void WRTERROR() {
  crt::Window(1, 1, 80, 25);
  crt::GotoXY(5, 23);
  crt::TextBackground(ERRBAR);
  crt::Write(ERRMSG.view());
  crt::GotoXY(80, 25);
  crt::Write('\a');
  crt::Delay(2000);
}

void WRTERROR_BLANKED(int width) {
  WRTERROR();
  crt::GotoXY(5, 23);
  crt::TextBackground(BACK);
  crt::Write(std::string(static_cast<std::size_t>(width), ' '));
}

void WRTWORKING() {
  MSGERROR = false;
  crt::Window(1, 1, 80, 25);
  crt::TextBackground(0);
  crt::GotoXY(1, 25);
  crt::Write(MESSAGE[53].view());
}

}  // namespace comms
