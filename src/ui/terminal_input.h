// The ncurses terminal's key input: the key sequences its description
// names, the key bytes waiting, and the wait for a key or a signal. Private
// to the ncurses terminal.
#pragma once

#include <chrono>
#include <string>

#include "ui/key_decoder.h"

namespace kdv::ui {

// Teaches the decoder the sequences the terminal description gives the
// cursor, editing and function keys.
void learn_keys(KeyDecoder& decoder);

// Appends the key bytes waiting on fd to pending, without blocking, and
// notes when the last arrived. At the end of input (or a read error) the
// keyboard is gone for good: the terminal is restored and the program ends.
void read_waiting_bytes(int fd, std::string& pending, std::chrono::steady_clock::time_point& last_byte);

// Waits up to ms milliseconds (negative: without limit) for input on
// key_fd or a byte on wake_fd; a negative key_fd is not watched.
void wait_for_input(int key_fd, int wake_fd, int ms);

}  // namespace kdv::ui
