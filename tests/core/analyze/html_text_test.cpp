#include "core/analyze/html_text.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(HtmlText, GivesTheTextALineForEachBlock) {
  EXPECT_EQ(HtmlText("<html><head><title>T</title><style>p{}</style></head><body>"
                     "<p>one <b>two</b></p><div>three<br>four</div><!-- five@x.jp -->"
                     "<script>six@x.jp</script><a href=\"mailto:seven@x.jp\">help</a></body>"),
            "one two\nthree\nfour\nhelp");
  EXPECT_EQ(HtmlText("<table><tr><td>a@x.jp</td><td>on 12/7</td></tr></table>"),
            "a@x.jp on 12/7 \n\n");
  // Unclosed and stray tags, entities: what a browser would show.
  EXPECT_EQ(HtmlText("<p>a &lt;b@x.jp&gt;<p>c</td></b>"), "a <b@x.jp>\nc\n");
}

TEST(HtmlText, HostileInputStaysBounded) {
  EXPECT_EQ(HtmlText(""), "");
  // Nesting far deeper than any notice: no recursion, nothing lost before the depth.
  std::string deep = "<p>top</p>";
  for (int i = 0; i < 100000; ++i)
    deep += "<div>";
  deep += "bottom";
  EXPECT_TRUE(HtmlText(deep).starts_with("top\n"));
  // Binary and invalid UTF-8 give some text, never a crash.
  std::string binary(1 << 16, '\0');
  for (std::size_t i = 0; i < binary.size(); ++i)
    binary[i] = static_cast<char>((i * 167) >> 2);
  HtmlText(binary);
  HtmlText("<p>\x82\xa0\xff\xfe</p>");
}

}  // namespace
}  // namespace tarnwick
