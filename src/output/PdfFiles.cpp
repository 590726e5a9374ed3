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

Outcome MergePdfPages(const std::vector<std::string>& parts, const std::vector<PageSource>& order,
                      const std::string& output, const std::string& title) {
  AtomicFileWriter file(output);
  if (!file.Good()) return file.Commit();
  try {
    std::vector<std::unique_ptr<MappedPdf>> files;
    std::vector<std::unique_ptr<QPDF>> sources;
    std::vector<std::vector<QPDFPageObjectHelper>> pages;
    for (const std::string& part : parts) {
      files.push_back(std::make_unique<MappedPdf>(part));
      sources.push_back(std::make_unique<QPDF>());
      files.back()->ReadInto(*sources.back(), part);
      pages.push_back(QPDFPageDocumentHelper(*sources.back()).getAllPages());
    }
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
    QPDFWriter writer(merged, file.WritePath().c_str());
    writer.setDeterministicID(true);  // the same pages always give the same bytes
    writer.write();
  } catch (const std::exception& error) {
    return Outcome::Failure(FailureKind::Failed, CannotWriteText(output), error.what());
  }
  return file.Commit();
}

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

Outcome AppendPageContents(const std::string& path, const PdfPageStreams& streams,
                           const std::string& title) {
  const std::string rewritten = path + ".rewrite";
  try {
    const MappedPdf file(path);
    QPDF pdf;
    file.ReadInto(pdf, path);
    if (!AddLineArt(pdf, streams, title)) {
      return Outcome::Failure(FailureKind::Failed, CannotWriteText(path),
                              "the pages and their line art do not match");
    }
    // The rewritten file replaces the one the caller's writer made and will sync, so it
    // is synced here before it takes that name; else a crash could leave the document
    // empty under its final name.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(rewritten.c_str(), "wb"),
                                                        &std::fclose);
    if (!out) throw std::system_error(errno, std::generic_category(), rewritten);
    QPDFWriter writer(pdf);
    writer.setOutputFile(rewritten.c_str(), out.get(), false);
    writer.setDeterministicID(true);
    writer.write();
    if (std::fflush(out.get()) != 0 || ::fsync(::fileno(out.get())) != 0 ||
        std::fclose(out.release()) != 0) {
      throw std::system_error(errno, std::generic_category(), rewritten);
    }
  } catch (const std::exception& error) {
    std::remove(rewritten.c_str());
    return Outcome::Failure(FailureKind::Failed, CannotWriteText(path), error.what());
  }
  if (std::rename(rewritten.c_str(), path.c_str()) != 0) {
    const int error = errno;
    std::remove(rewritten.c_str());
    return Outcome::Failure(FailureKindOf(error), CannotWriteText(path), ReasonOf(error));
  }
  return Outcome::Success();
}

}  // namespace wavelet
