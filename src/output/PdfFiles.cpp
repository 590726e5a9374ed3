#include "output/PdfFiles.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <memory>

#include "base/AtomicFile.h"

namespace wavelet {

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

Outcome SetPdfTitle(const std::string& path, const std::string& title) {
  const std::string titled = path + ".title";
  try {
    QPDF pdf;
    pdf.processFile(path.c_str());
    QPDFObjectHandle trailer = pdf.getTrailer();
    QPDFObjectHandle info = trailer.getKey("/Info");
    if (!info.isDictionary()) {
      info = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
      trailer.replaceKey("/Info", info);
    }
    info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title));
    QPDFWriter writer(pdf, titled.c_str());
    writer.setDeterministicID(true);
    writer.write();
  } catch (const std::exception& error) {
    std::remove(titled.c_str());
    return Outcome::Failure(FailureKind::Failed, CannotWriteText(path), error.what());
  }
  if (std::rename(titled.c_str(), path.c_str()) != 0) {
    const int error = errno;
    std::remove(titled.c_str());
    return Outcome::Failure(FailureKindOf(error), CannotWriteText(path), ReasonOf(error));
  }
  return Outcome::Success();
}

}  // namespace wavelet
