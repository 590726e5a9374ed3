#pragma once
// PDF files after they are drawn, with qpdf: the parts the page processes wrote side
// by side merged in the pages' order, the pages' own line art added, and a document's
// title set for what it holds.

#include <string>
#include <utility>
#include <vector>

#include "base/Outcome.h"

namespace wavelet {

struct PageSource {
  int Part = 0;  // index into the parts
  int Page = 0;  // page of that part, from 0
};

class AtomicFileWriter;
class PdfPageStreams;

// A PDF file drawn elsewhere (the toolkit's text pages, a document's part), with the
// line art of its pages when they still lack it.
struct PdfPart {
  std::string Path;
  const PdfPageStreams* LineArt = nullptr;  // one content stream per page of the file
};

// The one pass that makes a document: the pages of `parts` in `order`, each with its
// line art added after the page's own content (wrapped in "q" ... "Q", so the added
// content starts from the page's initial state; its graphics state joins the page's
// resources), the document information of the first part with `title` as its title
// when given, written by qpdf straight into `file`, which is then committed. A part
// that cannot be read, a page it lacks or line art that does not match its pages
// fails the whole document, and `file`'s target stays as it was.
Outcome WritePdfDocument(const std::vector<PdfPart>& parts, const std::vector<PageSource>& order,
                         const std::string& title, AtomicFileWriter& file);

}  // namespace wavelet
