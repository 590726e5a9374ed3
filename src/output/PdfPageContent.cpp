#include "output/PdfPageContent.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "base/FileDescriptor.h"

namespace wavelet {

namespace {

// libdeflate's effort for the page streams, measured on a sample page's 300 KB of
// operators: level 6 gives 17 KB in about a millisecond; level 9 saves a tenth of the
// bytes for eight times the time, level 4 costs a fifth more bytes.
constexpr int kDeflateLevel = 6;

// Lines a group holds at most.
constexpr int kGroupLines = 256;

// As the toolkit's PDF writer writes its page matrix: nine significant digits, cut off
// rather than rounded. The same digits put the lines exactly where the toolkit's own
// content is; a difference in the ninth digit moves an edge that lies on a pixel's
// border to the next pixel.
void AppendDecimal(std::string& out, double value) {
  if (value < 0) {
    out += '-';
    value = -value;
  }
  if (!(value < 4.0e9)) {  // not a number, or beyond any page: as the toolkit, nothing
    out += '0';
    return;
  }
  auto whole = static_cast<unsigned>(value);
  auto fraction = static_cast<int>((value - whole) * 1000000000);
  if (fraction == 1000000000) {
    ++whole;
    fraction = 0;
  }
  int place = 100000000;
  if (whole == 0) {
    out += '0';
  } else {
    const std::string digits = std::to_string(whole);
    out += digits;
    for (std::size_t i = 0; i < digits.size(); ++i) {
      place /= 10;
      fraction /= 10;
    }
  }
  if (fraction == 0) return;
  out += '.';
  for (; place > 0; place /= 10) out += static_cast<char>('0' + fraction / place % 10);
}

}  // namespace

void PdfPageContent::StartPage(const std::array<double, 6>& matrix) {
  content_.clear();
  content_.reserve(std::size_t{1} << 18);
  content_ += "q ";
  content_ += kPdfStrokeState;
  content_ += " gs";
  for (double value : matrix) {
    content_ += ' ';
    AppendDecimal(content_, value);
  }
  // Square caps and round joins: the report's pen.
  content_ += " cm 2 J 1 j\n";
  penWidth_ = -1;
  grouped_ = false;
  origin_ = {};
}

void PdfPageContent::Number(std::int64_t value) {
  char text[24];
  const auto result = std::to_chars(text, text + sizeof text, value);
  content_.append(text, result.ptr);
  content_ += ' ';
}

void PdfPageContent::Op(const char* op) {
  content_ += op;
  content_ += '\n';
}

void PdfPageContent::UsePen(int width) {
  if (width == penWidth_) return;
  EndGroup();  // a width set inside a group would end with it
  Number(width);
  Op("w");
  penWidth_ = width;
}

void PdfPageContent::EndGroup() {
  if (!grouped_) return;
  Op("Q");
  grouped_ = false;
  origin_ = {};
}

void PdfPageContent::MoveOrigin(StrokePoint to) {
  if (!grouped_) {
    content_ += "q ";
    grouped_ = true;
    groupLines_ = 0;
  }
  if (to == origin_) return;
  content_ += "1 0 0 1 ";
  Number(std::int64_t{to.X} - origin_.X);
  Number(std::int64_t{to.Y} - origin_.Y);
  content_ += "cm ";
  origin_ = to;
}

void PdfPageContent::Line(StrokePoint from, StrokePoint to, int penWidth) {
  UsePen(penWidth);
  MoveOrigin(from);
  content_ += "0 0 m ";
  Number(std::int64_t{to.X} - from.X);
  Number(std::int64_t{to.Y} - from.Y);
  Op("l S");
  if (++groupLines_ == kGroupLines) EndGroup();
}

void PdfPageContent::DashedLine(StrokePoint from, StrokePoint to, int dash, int gap,
                                int penWidth) {
  UsePen(penWidth);
  EndGroup();
  content_ += '[';
  Number(dash);
  Number(gap);
  content_ += "] 0 d ";
  Number(from.X);
  Number(from.Y);
  content_ += "m ";
  Number(to.X);
  Number(to.Y);
  Op("l S [] 0 d");
}

void PdfPageContent::Rectangle(int x1, int y1, int x2, int y2, int penWidth) {
  UsePen(penWidth);
  EndGroup();
  const std::int64_t left = std::min(x1, x2), top = std::min(y1, y2);
  Number(left);
  Number(top);
  Number(std::max(x1, x2) - left);
  Number(std::max(y1, y2) - top);
  Op("re S");
}

void PdfPageContent::FinishPage() {
  EndGroup();
  content_ += "Q\n";
  streams_.Add(content_);
  content_.clear();
}

PdfPageStreams::PdfPageStreams(const std::string& directory) : compressor_(kDeflateLevel) {
  const int fd = directory.empty() ? -1 : ::open(directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  file_ = fd >= 0 ? ::fdopen(fd, "w+b") : nullptr;
  if (fd >= 0 && file_ == nullptr) ::close(fd);
  if (file_ == nullptr) file_ = std::tmpfile();
}

PdfPageStreams::~PdfPageStreams() {
  if (file_) std::fclose(file_);
}

void PdfPageStreams::Add(const std::string& content) {
  if (!Good()) return;
  const std::size_t size = compressor_.Compress(content.data(), content.size(), buffer_);
  if (size == 0 || std::fwrite(buffer_.data(), 1, size, file_) != size) {
    good_ = false;
    return;
  }
  pages_.push_back({end_, size});
  end_ += size;
}

bool PdfPageStreams::Read(std::size_t index, std::string& deflated) const {
  if (!file_ || index >= pages_.size() || std::fflush(file_) != 0) return false;
  const Extent extent = pages_[index];
  deflated.resize(static_cast<std::size_t>(extent.Length));
  return ReadAllAt(::fileno(file_), deflated.data(), deflated.size(), extent.Offset);
}

}  // namespace wavelet
