#include "output/RecordedPage.h"


namespace wavelet {
namespace {

constexpr std::uint32_t kPageMagic = 0x57504731;  // "WPG1"

void PutInt(std::string& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((bits >> shift) & 0xFF));
}

void PutText(std::string& out, const std::string& text) {
  PutInt(out, static_cast<std::int32_t>(text.size()));
  out.append(text);
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
  std::string out;
  out.reserve(page.Commands.size() * 21 + 256);
  PutInt(out, static_cast<std::int32_t>(kPageMagic));
  PutInt(out, page.Width);
  PutInt(out, page.Height);
  PutText(out, page.JobTitle);
  PutText(out, page.Entry);
  PutInt(out, static_cast<std::int32_t>(page.Texts.size()));
  for (const std::string& text : page.Texts) PutText(out, text);
  PutInt(out, static_cast<std::int32_t>(page.Commands.size()));
  for (const RecordedPage::Command& c : page.Commands) {
    out.push_back(static_cast<char>(c.Kind));
    for (int value : {c.A, c.B, c.C, c.D, c.TextIndex}) PutInt(out, value);
  }
  return out;
}

std::optional<RecordedPage> ParsePage(std::string_view bytes) {
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
  constexpr std::size_t kCommandBytes = 1 + 5 * 4;
  if (!in.Int(commands) || commands < 0 ||
      static_cast<std::size_t>(commands) != in.Left() / kCommandBytes ||
      in.Left() % kCommandBytes != 0) {
    return std::nullopt;
  }
  page.Commands.resize(static_cast<std::size_t>(commands));
  const auto lastOp = static_cast<unsigned>(RecordedPage::Op::Text);
  for (RecordedPage::Command& c : page.Commands) {
    unsigned char op = 0;
    if (!in.Byte(op) || op > lastOp) return std::nullopt;
    c.Kind = static_cast<RecordedPage::Op>(op);
    if (!in.Int(c.A) || !in.Int(c.B) || !in.Int(c.C) || !in.Int(c.D) || !in.Int(c.TextIndex)) {
      return std::nullopt;
    }
    const bool hasText = c.Kind == RecordedPage::Op::Font || c.Kind == RecordedPage::Op::Text;
    if (hasText && (c.TextIndex < 0 || c.TextIndex >= texts)) return std::nullopt;
  }
  if (!in.AtEnd()) return std::nullopt;
  return page;
}

}  // namespace wavelet
