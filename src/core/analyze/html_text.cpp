#include "core/analyze/html_text.h"

#include <libxml/HTMLparser.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <mutex>

#include "core/platform/cp932_case.h"

namespace tarnwick {
namespace {

struct FreeDoc {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

// Elements after which the text goes on on a new line.
constexpr std::string_view kLineElements[] = {
    "p",  "br", "div", "tr", "li",  "h1",    "h2",         "h3", "h4", "h5",
    "h6", "dt", "dd",  "hr", "pre", "table", "blockquote", "ul", "ol", "title",
};

bool Named(const xmlNode* node, std::string_view name) {
  return EqualsCp932IgnoreCase(reinterpret_cast<const char*>(node->name), name);
}

bool EndsLine(const xmlNode* node) {
  return std::any_of(std::begin(kLineElements), std::end(kLineElements),
                     [&](std::string_view name) { return Named(node, name); });
}

// A table's cells stand apart: "x@example.jp" in one and "on 12/7" in the next are two words.
bool IsCell(const xmlNode* node) {
  return Named(node, "td") || Named(node, "th");
}

bool ShowsText(const xmlNode* node) {
  return !(Named(node, "script") || Named(node, "style") || Named(node, "head"));
}

// The next node in document order, without descending into "node" when "descend" is false;
// nullptr after the last. Walking without recursion, deep documents cost no stack.
const xmlNode* Next(const xmlNode* node, bool descend, std::string& text) {
  if (descend && node->children != nullptr) return node->children;
  while (true) {
    if (node->type == XML_ELEMENT_NODE && EndsLine(node)) text += '\n';
    if (node->type == XML_ELEMENT_NODE && IsCell(node)) text += ' ';
    if (node->next != nullptr) return node->next;
    node = node->parent;
    if (node == nullptr || node->type == XML_HTML_DOCUMENT_NODE) return nullptr;
  }
}

}  // namespace

std::string HtmlText(std::string_view html) {
  if (html.empty() || html.size() > INT_MAX) return {};
  static std::once_flag once;  // the parser's global state, before threads use it
  std::call_once(once, [] { xmlInitParser(); });
  const std::unique_ptr<xmlDoc, FreeDoc> doc(htmlReadMemory(
      html.data(), static_cast<int>(html.size()), nullptr, "UTF-8",
      HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET));
  if (doc == nullptr) return {};
  std::string text;
  const xmlNode* node = xmlDocGetRootElement(doc.get());
  while (node != nullptr) {
    const bool element = node->type == XML_ELEMENT_NODE;
    if (node->type == XML_TEXT_NODE && node->content != nullptr)
      text += reinterpret_cast<const char*>(node->content);
    node = Next(node, !element || ShowsText(node), text);
  }
  return text;
}

}  // namespace tarnwick
