#include "cli/PdfMerge.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>
#include <memory>

#include "base/AtomicFile.h"

namespace wavelet::cli {

Outcome MergePdfPages(const std::vector<std::string>& parts, const std::vector<PageSource>& order,
                      const std::string& output, const std::string& title) {
  AtomicFileWriter file(output);
  if (!file.Good()) return file.Commit();
  try {
    std::vector<std::unique_ptr<QPDF>> sources;
    std::vector<std::vector<QPDFPageObjectHelper>> pages;
    for (const std::string& part : parts) {
      sources.push_back(std::make_unique<QPDF>());
      sources.back()->processFile(part.c_str());
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

}  // namespace wavelet::cli
