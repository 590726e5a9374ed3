#include "output/PdfFiles.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <memory>
#include <system_error>

#include "base/AtomicFile.h"
#include "output/PdfPageContent.h"

namespace wavelet {

namespace {

// A PDF file read where it lies, mapped into memory: qpdf reading from a file seeks
// before every object it reads, and those system calls took half the time of merging
// a run's parts.
class MappedPdf {
 public:
  explicit MappedPdf(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), path);
    struct stat status {};
    if (::fstat(fd, &status) == 0 && status.st_size > 0) {
      size_ = static_cast<std::size_t>(status.st_size);
      void* data = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
      data_ = data == MAP_FAILED ? nullptr : data;
    }
    const int error = errno;
    ::close(fd);
    if (data_ == nullptr) throw std::system_error(size_ == 0 ? EINVAL : error, std::generic_category(), path);
  }
  ~MappedPdf() { ::munmap(data_, size_); }
  MappedPdf(const MappedPdf&) = delete;
  MappedPdf& operator=(const MappedPdf&) = delete;

  // Reads the file into `pdf`, which must not outlive this mapping.
  void ReadInto(QPDF& pdf, const std::string& path) const {
    pdf.processMemoryFile(path.c_str(), static_cast<const char*>(data_), size_);
  }

 private:
  void* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace

namespace {

void SetTitle(QPDF& pdf, const std::string& title) {
  QPDFObjectHandle trailer = pdf.getTrailer();
  QPDFObjectHandle info = trailer.getKey("/Info");
  if (!info.isDictionary()) {
    info = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    trailer.replaceKey("/Info", info);
  }
  info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title));
}

// Adds each page's line art; false when the counts of pages and streams differ.
bool AddLineArt(QPDF& pdf, const PdfPageStreams& streams, const std::string& title) {
  std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
  if (pages.size() != streams.Size()) return false;
  // One "q" and one "Q" serve every page.
  const QPDFObjectHandle save = pdf.newStream("q\n"), restore = pdf.newStream("\nQ\n");
  QPDFObjectHandle state = QPDFObjectHandle::newDictionary();
  state.replaceKey("/Type", QPDFObjectHandle::newName("/ExtGState"));
  state.replaceKey("/SA", QPDFObjectHandle::newBool(true));
  state = pdf.makeIndirectObject(state);
  for (std::size_t i = 0; i < pages.size(); ++i) {
    QPDFObjectHandle lines = pdf.newStream();
    lines.replaceStreamData(
        [&streams, i](Pipeline* pipeline, bool, bool) {
          std::string deflated;
          if (!streams.Read(i, deflated)) return false;
          pipeline->write(reinterpret_cast<const unsigned char*>(deflated.data()), deflated.size());
          pipeline->finish();
          return true;
        },
        QPDFObjectHandle::newName("/FlateDecode"), QPDFObjectHandle::newNull());
    QPDFPageObjectHelper& page = pages[i];
    page.addPageContents(save, true);
    page.addPageContents(restore, false);
    page.addPageContents(lines, false);
    QPDFObjectHandle resources = page.getAttribute("/Resources", true);
    if (!resources.isDictionary()) {
      resources = QPDFObjectHandle::newDictionary();
      page.getObjectHandle().replaceKey("/Resources", resources);
    }
    QPDFObjectHandle states = resources.getKey("/ExtGState");
    if (!states.isDictionary()) {
      states = QPDFObjectHandle::newDictionary();
      resources.replaceKey("/ExtGState", states);
    }
    states.replaceKey(kPdfStrokeState, state);
  }
  if (!title.empty()) SetTitle(pdf, title);
  return true;
}

}  // namespace

namespace {

// qpdf's output, straight into the writer.
class WriterPipeline final : public Pipeline {
 public:
  explicit WriterPipeline(AtomicFileWriter& file) : Pipeline("document", nullptr), file_(file) {}
  void write(const unsigned char* data, size_t size) override {
    file_.Write(std::string_view(reinterpret_cast<const char*>(data), size));
  }
  void finish() override {}

 private:
  AtomicFileWriter& file_;
};

bool InOrder(const std::vector<PageSource>& order) {
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (order[i].Part != 0 || order[i].Page != static_cast<int>(i)) return false;
  }
  return true;
}

void Write(QPDF& pdf, AtomicFileWriter& file) {
  WriterPipeline pipeline(file);
  QPDFWriter writer(pdf);
  writer.setOutputPipeline(&pipeline);
  writer.setDeterministicID(true);  // the same pages always give the same bytes
  writer.write();
}

}  // namespace

Outcome WritePdfDocument(const std::vector<PdfPart>& parts, const std::vector<PageSource>& order,
                         const std::string& title, AtomicFileWriter& file) {
  if (!file.Good()) return file.Commit();
  const auto failed = [&file](const std::string& reason) {
    file.Discard();
    return Outcome::Failure(FailureKind::Failed, CannotWriteText(file.Path()), reason);
  };
  try {
    std::vector<std::unique_ptr<MappedPdf>> files;
    std::vector<std::unique_ptr<QPDF>> sources;
    std::vector<std::vector<QPDFPageObjectHelper>> pages;
    for (const PdfPart& part : parts) {
      files.push_back(std::make_unique<MappedPdf>(part.Path));
      sources.push_back(std::make_unique<QPDF>());
      files.back()->ReadInto(*sources.back(), part.Path);
      if (part.LineArt != nullptr && !AddLineArt(*sources.back(), *part.LineArt, {})) {
        return failed("the pages and their line art do not match");
      }
      pages.push_back(QPDFPageDocumentHelper(*sources.back()).getAllPages());
    }
    if (parts.size() == 1 && InOrder(order) && order.size() == pages.front().size()) {
      // One part whole: written as it is, with its own document information.
      if (!title.empty()) SetTitle(*sources.front(), title);
      Write(*sources.front(), file);
    } else {
      QPDF merged;
      merged.emptyPDF();
      QPDFPageDocumentHelper target(merged);
      for (const PageSource& source : order) {
        const auto& partPages = pages.at(static_cast<std::size_t>(source.Part));
        target.addPage(partPages.at(static_cast<std::size_t>(source.Page)), false);
      }
      if (!sources.empty()) {
        QPDFObjectHandle info = sources.front()->getTrailer().getKey("/Info");
        if (info.isDictionary()) {
          QPDFObjectHandle copied = merged.copyForeignObject(info);
          if (!title.empty()) copied.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title));
          merged.getTrailer().replaceKey("/Info", copied);
        }
      }
      Write(merged, file);
    }
  } catch (const std::exception& error) {
    return failed(error.what());
  }
  return file.Commit();
}

}  // namespace wavelet
