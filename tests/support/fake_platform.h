// Fakes of the console and the viewer: scripted input, recorded output.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/viewer.h"

namespace testing_support {

class FakeConsole : public platform::Console {
 public:
  explicit FakeConsole(std::string input = "", std::string keys = "")
      : input_(std::move(input)), keys_(std::move(keys)) {}

  void clear_screen() override { events.push_back("clear"); }
  void set_colours() override { events.push_back("colours"); }
  void write(std::string_view bytes) override { out.append(bytes); }
  void write_error(std::string_view bytes) override { err.append(bytes); }
  int read_char() override {
    events.push_back("read_char");
    return next(input_, &input_pos_);
  }
  int read_key() override {
    events.push_back("read_key");
    return next(keys_, &keys_pos_);
  }
  bool flush() override { return output_works; }
  /// Input characters not yet read.
  std::size_t unread() const { return input_.size() - input_pos_; }

  std::string out;
  std::string err;
  bool output_works = true;
  std::vector<std::string> events;

 private:
  static int next(const std::string& from, std::size_t* pos) {
    if (*pos >= from.size()) return EOF;
    return static_cast<unsigned char>(from[(*pos)++]);
  }
  std::string input_;
  std::string keys_;
  std::size_t input_pos_ = 0;
  std::size_t keys_pos_ = 0;
};

class FakeViewer : public platform::Viewer {
 public:
  explicit FakeViewer(bool works = true) : works_(works) {}
  bool open(const std::string& path) override {
    opened.push_back(path);
    return works_;
  }
  std::vector<std::string> opened;

 private:
  bool works_;
};

}  // namespace testing_support
