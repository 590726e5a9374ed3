#include "output/RecordedPage.h"

#include <cstdint>

namespace wavelet {
namespace {

// The commands go as variable-length numbers, the points as steps from the point
// before: a page of some twenty thousand lines takes about three bytes a line instead
// of twenty-one, which the tool and the page program spent more time copying than
// drawing.
constexpr std::uint32_t kPageMagic = 0x57504732;  // "WPG2"

void PutInt(std::string& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((bits >> shift) & 0xFF));
}

void PutText(std::string& out, const std::string& text) {
  PutInt(out, static_cast<std::int32_t>(text.size()));
  out.append(text);
}

// Seven bits a byte, low first, the sign folded into the lowest bit.
void PutNumber(std::string& out, std::int64_t value) {
  auto bits = (static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63);
  while (bits >= 0x80) {
    out.push_back(static_cast<char>((bits & 0x7F) | 0x80));
    bits >>= 7;
  }
  out.push_back(static_cast<char>(bits));
}

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool Int(std::int32_t& value) {
    if (bytes_.size() - at_ < 4) return false;
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) {
      bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[at_ + i])) << (8 * i);
    }
    at_ += 4;
    value = static_cast<std::int32_t>(bits);
    return true;
  }
  bool Byte(unsigned char& value) {
    if (at_ == bytes_.size()) return false;
    value = static_cast<unsigned char>(bytes_[at_++]);
    return true;
  }
  bool Number(std::int64_t& value) {
    std::uint64_t bits = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      unsigned char byte = 0;
      if (!Byte(byte)) return false;
      bits |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
      if ((byte & 0x80) == 0) {
        value = static_cast<std::int64_t>(bits >> 1) ^ -static_cast<std::int64_t>(bits & 1);
        return true;
      }
    }
    return false;
  }
  // A number that must fit an int.
  bool Int32(std::int64_t base, int& value) {
    std::int64_t number = 0;
    if (!Number(number)) return false;
    const std::int64_t sum = base + number;
    if (sum < INT32_MIN || sum > INT32_MAX) return false;
    value = static_cast<int>(sum);
    return true;
  }
  bool Text(std::string& text) {
    std::int32_t size = 0;
    if (!Int(size) || size < 0 || static_cast<std::size_t>(size) > bytes_.size() - at_) return false;
    text.assign(bytes_.substr(at_, static_cast<std::size_t>(size)));
    at_ += static_cast<std::size_t>(size);
    return true;
  }
  bool AtEnd() const { return at_ == bytes_.size(); }
  std::size_t Left() const { return bytes_.size() - at_; }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

}  // namespace

PageRecorder::PageRecorder(int width, int height) {
  page_.Width = width;
  page_.Height = height;
}

void PageRecorder::Add(RecordedPage::Op op, int a, int b, int c, int d, int text) {
  page_.Commands.push_back({op, a, b, c, d, text});
}

void PageRecorder::SetPenWidth(int width) { Add(RecordedPage::Op::PenWidth, width); }
void PageRecorder::SetPenStyle(ReportPenStyle style) {
  Add(RecordedPage::Op::PenStyle, static_cast<int>(style));
}
void PageRecorder::SetBrushStyle(ReportBrushStyle style) {
  Add(RecordedPage::Op::BrushStyle, static_cast<int>(style));
}
void PageRecorder::SetFont(const std::string& name, ReportCharset charset, int pointSize) {
  page_.Texts.push_back(name);
  Add(RecordedPage::Op::Font, pointSize, static_cast<int>(charset), 0, 0,
      static_cast<int>(page_.Texts.size()) - 1);
}
void PageRecorder::MoveTo(int x, int y) { Add(RecordedPage::Op::MoveTo, x, y); }
void PageRecorder::LineTo(int x, int y) { Add(RecordedPage::Op::LineTo, x, y); }
void PageRecorder::Rectangle(int x1, int y1, int x2, int y2) {
  Add(RecordedPage::Op::Rectangle, x1, y1, x2, y2);
}
void PageRecorder::TextOut(int x, int y, const std::string& text) {
  page_.Texts.push_back(text);
  Add(RecordedPage::Op::Text, x, y, 0, 0, static_cast<int>(page_.Texts.size()) - 1);
}

bool ReplayPage(const RecordedPage& page, ReportCanvas& target) {
  target.SetJobTitle(page.JobTitle);
  if (!target.BeginJob()) return false;
  using Op = RecordedPage::Op;
  for (const RecordedPage::Command& c : page.Commands) {
    switch (c.Kind) {
      case Op::PenWidth: target.SetPenWidth(c.A); break;
      case Op::PenStyle: target.SetPenStyle(static_cast<ReportPenStyle>(c.A)); break;
      case Op::BrushStyle: target.SetBrushStyle(static_cast<ReportBrushStyle>(c.A)); break;
      case Op::Font:
        target.SetFont(page.Texts[static_cast<std::size_t>(c.TextIndex)],
                       static_cast<ReportCharset>(c.B), c.A);
        break;
      case Op::MoveTo: target.MoveTo(c.A, c.B); break;
      case Op::LineTo: target.LineTo(c.A, c.B); break;
      case Op::Rectangle: target.Rectangle(c.A, c.B, c.C, c.D); break;
      case Op::Text: target.TextOut(c.A, c.B, page.Texts[static_cast<std::size_t>(c.TextIndex)]); break;
    }
  }
  target.EndJob();
  return true;
}

std::string SerializePage(const RecordedPage& page) {
  using Op = RecordedPage::Op;
  std::string out;
  out.reserve(page.Commands.size() * 4 + 256);
  PutInt(out, static_cast<std::int32_t>(kPageMagic));
  PutInt(out, page.Width);
  PutInt(out, page.Height);
  PutText(out, page.JobTitle);
  PutText(out, page.Entry);
  PutInt(out, static_cast<std::int32_t>(page.Texts.size()));
  for (const std::string& text : page.Texts) PutText(out, text);
  PutInt(out, static_cast<std::int32_t>(page.Commands.size()));
  std::int64_t x = 0, y = 0;  // the point before
  for (const RecordedPage::Command& c : page.Commands) {
    out.push_back(static_cast<char>(c.Kind));
    switch (c.Kind) {
      case Op::PenWidth:
      case Op::PenStyle:
      case Op::BrushStyle:
        PutNumber(out, c.A);
        break;
      case Op::MoveTo:
      case Op::LineTo:
        PutNumber(out, c.A - x);
        PutNumber(out, c.B - y);
        x = c.A;
        y = c.B;
        break;
      case Op::Rectangle:
        for (int value : {c.A, c.B, c.C, c.D}) PutNumber(out, value);
        break;
      case Op::Font:
      case Op::Text:
        for (int value : {c.A, c.B, c.TextIndex}) PutNumber(out, value);
        break;
    }
  }
  return out;
}

std::optional<RecordedPage> ParsePage(std::string_view bytes) {
  using Op = RecordedPage::Op;
  Reader in(bytes);
  RecordedPage page;
  std::int32_t magic = 0, texts = 0, commands = 0;
  if (!in.Int(magic) || static_cast<std::uint32_t>(magic) != kPageMagic) return std::nullopt;
  if (!in.Int(page.Width) || !in.Int(page.Height) || !in.Text(page.JobTitle) ||
      !in.Text(page.Entry)) {
    return std::nullopt;
  }
  if (!in.Int(texts) || texts < 0 || static_cast<std::size_t>(texts) > in.Left() / 4) return std::nullopt;
  page.Texts.resize(static_cast<std::size_t>(texts));
  for (std::string& text : page.Texts) {
    if (!in.Text(text)) return std::nullopt;
  }
  // Every command takes two bytes at least.
  if (!in.Int(commands) || commands < 0 || static_cast<std::size_t>(commands) > in.Left() / 2) {
    return std::nullopt;
  }
  page.Commands.resize(static_cast<std::size_t>(commands));
  const auto lastOp = static_cast<unsigned>(Op::Text);
  int x = 0, y = 0;
  for (RecordedPage::Command& c : page.Commands) {
    unsigned char op = 0;
    if (!in.Byte(op) || op > lastOp) return std::nullopt;
    c.Kind = static_cast<Op>(op);
    bool read = true;
    switch (c.Kind) {
      case Op::PenWidth:
      case Op::PenStyle:
      case Op::BrushStyle:
        read = in.Int32(0, c.A);
        break;
      case Op::MoveTo:
      case Op::LineTo:
        read = in.Int32(x, c.A) && in.Int32(y, c.B);
        x = c.A;
        y = c.B;
        break;
      case Op::Rectangle:
        read = in.Int32(0, c.A) && in.Int32(0, c.B) && in.Int32(0, c.C) && in.Int32(0, c.D);
        break;
      case Op::Font:
      case Op::Text:
        read = in.Int32(0, c.A) && in.Int32(0, c.B) && in.Int32(0, c.TextIndex) &&
               c.TextIndex >= 0 && c.TextIndex < texts;
        break;
    }
    if (!read) return std::nullopt;
  }
  if (!in.AtEnd()) return std::nullopt;
  return page;
}

}  // namespace wavelet
