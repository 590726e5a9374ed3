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

// Writes `output` atomically with the pages of `parts` in `order` and the document
// information (title, producer) of the first part, with `title` as its title when
// given. A part that cannot be read or a page it lacks fails the whole merge.
Outcome MergePdfPages(const std::vector<std::string>& parts, const std::vector<PageSource>& order,
                      const std::string& output, const std::string& title = {});

class PdfPageStreams;

// Adds to each page of the PDF file `path` (in place, through a temporary file) the
// content stream of the same index in `streams`, after the page's own content, which is
// wrapped in "q" ... "Q" so the added content starts from the page's initial state; the
// added content's graphics state joins the page's resources. `title`, when given,
// becomes the document title. Fails, leaving the file as it was, when the counts of
// pages and streams differ.
Outcome AppendPageContents(const std::string& path, const PdfPageStreams& streams,
                           const std::string& title = {});

}  // namespace wavelet
