#include "core/editor/CommandCatalogue.h"
#include "core/editor/InsertEngine.h"

#include <QCryptographicHash>
#include <QFile>
#include <algorithm>

namespace {
using R = TCommandRow;

// Row builders, one per kind of command.
constexpr R Inline(const char *cat, int tag, const char *name, const char *caption, const char *open,
                   const char *close) {
  return {name, caption, cat, tag, ckInline, {open, close}};
}
constexpr R Block(const char *cat, int tag, const char *name, const char *caption, const char *open,
                  const char *close) {
  return {name, caption, cat, tag, ckBlock, {open, close}};
}
constexpr R Put(const char *cat, int tag, const char *name, const char *caption, const char *text,
                int offset = 0) {
  return {name, caption, cat, tag, ckPut, {text}, offset};
}
constexpr R PutLine(const char *cat, int tag, const char *name, const char *caption, const char *text) {
  return {name, caption, cat, tag, ckPutLine, {text}};
}
constexpr R Code(const char *cat, int tag, const char *name, const char *caption, const char *text) {
  return {name, caption, cat, tag, ckCode, {text}};
}
constexpr R Ask(const char *cat, int tag, const char *name, const char *caption, const char *prompt,
                const char *pattern, TAttrType type, const char *def, const char *promptEnd = nullptr) {
  return {name, caption, cat, tag, ckAsk, {prompt, pattern, def, promptEnd}, int(type)};
}
constexpr R Color(const char *cat, int tag, const char *name, const char *caption, const char *title,
                  const char *pattern, int rgb, bool code = false, const char *titleEnd = nullptr) {
  return {name, caption, cat, tag, code ? ckColorCode : ckColor, {title, pattern, nullptr, titleEnd}, rgb};
}
constexpr R Option(const char *cat, int tag, const char *name, const char *caption, const char *title,
                   const char *choices, const char *pattern, const char *titleEnd = nullptr) {
  return {name, caption, cat, tag, ckOption, {title, pattern, choices, titleEnd}};
}
constexpr R Input(const char *cat, int tag, const char *name, const char *caption, const char *title,
                  const char *label, const char *pattern, int offset = 0) {
  return {name, caption, cat, tag, ckInput, {title, label, pattern}, offset};
}
constexpr R InputLine(const char *cat, int tag, const char *name, const char *caption, const char *title,
                      const char *label, const char *pattern) {
  return {name, caption, cat, tag, ckInputLine, {title, label, pattern}};
}
constexpr R TwoInputs(const char *cat, int tag, const char *name, const char *caption, const char *title,
                      const char *label1, const char *label2, const char *pattern) {
  return {name, caption, cat, tag, ckTwoInputs, {title, label1, label2, pattern}};
}
constexpr R Container(const char *cat, int tag, const char *name, const char *caption, const char *title,
                      const char *label, const char *open, const char *close, const char *def = "") {
  return {name, caption, cat, tag, ckContainer, {title, label, open, close, def}};
}
constexpr R Link(const char *cat, int tag, const char *name, const char *caption, const char *title,
                 const char *filter, const char *pattern, bool code) {
  return {name, caption, cat, tag, code ? ckLinkCode : ckLinkPut, {title, filter, pattern}};
}
constexpr R Lines(const char *cat, int tag, const char *name, const char *caption, const char *lines) {
  return {name, caption, cat, tag, ckLines, {lines}, 2};
}
constexpr R Special(const char *cat, int tag, const char *name, const char *caption, const char *handler,
                    const char *arg = nullptr) {
  return {name, caption, cat, tag, ckSpecial, {handler, arg}};
}
constexpr R External(const char *cat, int tag, const char *name, const char *caption) {
  return {name, caption, cat, tag, ckExternal};
}

constexpr const char *G = "Global", *F = "Fonts", *L = "Lists", *T = "Tables", *A = "Alignment",
                     *D = "Dimensions", *C = "Colors", *Fr = "Frames", *Fo = "Forms", *W = "Wrapping",
                     *S = "Styles", *O = "Other";

// File filters as description|pattern pairs; the descriptions are translated where shown.
constexpr const char *ImageFilter = "GIF|*.gif|JPEG|*.jpg|PNG|*.png";
constexpr const char *CssFilter = "Central style sheet|*.css|all|*.*";
constexpr const char *JsFilter = "Javascript|*.js|all|*.*";

constexpr const char *BorderStyles = "none,hidden,dotted,dashed,solid,double,groove,ridge,inset,outset";

const R Rows[] = {
    // Global
    Block(G, 4401, "ActionHead", "Html &head", "<head>", "</head>").In("Document"),
    Inline(G, 4402, "ActionTitle", "&Title", "<title>", "</title>").In("Document"),
    Block(G, 4414, "ActionBody", "&Body", "<body>", "</body>").In("Document"),
    // Ctrl+L goes to the list item, which the default layout lets take it from the link.
    Special(G, 4403, "ActionLink", "&Link", "Link").OnMain(),
    Special(G, 4407, "ActionTarget", "&Anchor", "Target").WithKey("Ctrl+Shift+T"),
    Special(G, 4408, "ActionGoto", "&Goto", "Goto").WithKey("Ctrl+Shift+G"),
    Special(G, 4406, "ActionImage", "Insert &image", "Image").WithKey("Ctrl+Alt+I").OnMain(),
    Special(G, 4415, "ActionImageMap", "&Image map", "ImageMap"),
    Special(G, 4405, "ActionMailto", "&uncoded mail address", "Mailto").In("Mail address"),
    External(G, 4416, "ActionMailtoCode", "&Encoded mail address").In("Mail address"),
    Inline(G, 4404, "ActionSection", "&Paragraph", "<p>", "</p>").WithKey("Ctrl+P").OnMain(),
    Block(G, 4412, "ActionDiv", "Text&region", "<div>", "</div>"),
    Inline(G, 4418, "ActionSpan", "&Inline container", "<span>", "</span>"),
    Block(G, 4417, "ActionQuote", "&Citation", "<blockquote>", "</blockquote>"),
    PutLine(G, 4409, "ActionHorLine", "Hor. &line", "<hr>").WithKey("Ctrl+Shift+H"),
    Put(G, 4410, "ActionFixSpace", "Fix &space", "&nbsp;").WithKey("Ctrl+Space").OnMain(),
    Special(G, 4411, "ActionComment", "&Comment", "Comment").WithKey("Ctrl+Shift+K").OnMain(),
    External(G, 4413, "ActionEditTag", "Edit &tag"),

    // Fonts
    Inline(F, 4701, "ActionHd1", "Size &1", "<h1>", "</h1>").WithKey("Alt+1").In("Headings"),
    Inline(F, 4702, "ActionHd2", "Size &2", "<h2>", "</h2>").WithKey("Alt+2").In("Headings"),
    Inline(F, 4703, "ActionHd3", "Size &3", "<h3>", "</h3>").WithKey("Alt+3").In("Headings"),
    Inline(F, 4704, "ActionHd4", "Size &4", "<h4>", "</h4>").WithKey("Alt+4").In("Headings"),
    Inline(F, 4705, "ActionHd5", "Size &5", "<h5>", "</h5>").WithKey("Alt+5").In("Headings"),
    Inline(F, 4706, "ActionHd6", "Size &6", "<h6>", "</h6>").WithKey("Alt+6").In("Headings"),
    Block(F, 4707, "ActionTextAlignLeft", "Align &left", "<div align=\"left\">", "</div>")
        .In("Text alignment"),
    Block(F, 4708, "ActionTextAlignCenter", "&Centered", "<div align=\"center\">", "</div>")
        .In("Text alignment"),
    Block(F, 4709, "ActionTextAlignRight", "Align &right", "<div align=\"right\">", "</div>")
        .In("Text alignment"),
    Inline(F, 4712, "ActionBold", "B&old", "<b>", "</b>").WithKey("Ctrl+B").OnMain(),
    Inline(F, 4713, "ActionItalic", "&Italic", "<i>", "</i>").WithKey("Ctrl+I").OnMain(),
    Inline(F, 4714, "ActionULine", "&Underlined", "<u>", "</u>").WithKey("Ctrl+U").OnMain(),
    Inline(F, 4720, "ActionStrong", "&Strong", "<strong>", "</strong>"),
    Inline(F, 4721, "ActionEmp", "&Emphasized", "<em>", "</em>"),
    Inline(F, 4710, "ActionBig", "&Big", "<big>", "</big>"),
    Inline(F, 4711, "ActionSmall", "&Small", "<small>", "</small>"),
    Inline(F, 4716, "ActionTeletype", "&Typewriter", "<tt>", "</tt>"),
    Inline(F, 4717, "ActionStrike", "&Striked", "<strike>", "</strike>"),
    Inline(F, 4718, "ActionSub", "&Subscript", "<sub>", "</sub>").WithKey("Ctrl+J"),
    Inline(F, 4719, "ActionSup", "&Superscript", "<sup>", "</sup>").WithKey("Ctrl+H"),
    Block(F, 4715, "ActionPre", "&Preformatted", "<pre>", "</pre>").WithKey("Ctrl+Shift+P"),
    Color(F, 4722, "ActionFontColor", "&Color", "Font color", " style=\"color:#%s;\"", 0x000000),

    // Wrapping
    PutLine(W, 4951, "ActionNewline", "New &line", "<br>").WithKey("Ctrl+N").OnMain(),
    Inline(W, 4952, "ActionNoBreak", "&No line break", "<nobr>", "</nobr>"),
    Put(W, 4953, "ActionSoftHyphen", "&Soft hyphen", "&shy;"),
    PutLine(W, 4954, "ActionClear", "End of &text wrapping", "<br clear=\"all\">"),

    // Lists
    Block(L, 4501, "ActionUList", "&Symbolic", "<ul>", "</ul>"),
    Block(L, 4502, "ActionNList", "&Numbered", "<ol>", "</ol>"),
    Inline(L, 4503, "ActionListItem", "&Item", "<li>", "</li>").WithKey("Ctrl+L"),
    Block(L, 4504, "ActionGlosDef", "&Definition", "<dl>", "</dl>").In("Definition list"),
    Inline(L, 4505, "ActionGlosTitle", "&Title", "<dt>", "</dt>").In("Definition list"),
    Inline(L, 4506, "ActionGlosItem", "&Description", "<dd>", "</dd>").In("Definition list"),
    Inline(L, 4515, "ActionDetails", "&Details", "<details>", "</details>").In("Disclosure"),
    Inline(L, 4516, "ActionSummary", "S&ummary", "<summary>", "</summary>").In("Disclosure"),
    Put(L, 4507, "ActionListDisc", "&Disc", " type=\"disc\"").In("Bullet type"),
    Put(L, 4508, "ActionListSquare", "&Square", " type=\"square\"").In("Bullet type"),
    Put(L, 4509, "ActionListCircle", "&Circle", " type=\"circle\"").In("Bullet type"),
    Put(L, 4511, "ActionUAlpha", "&A,B,C", " type=\"A\"").In("Numbering"),
    Put(L, 4512, "ActionLAlpha", "a,&b,c", " type=\"a\"").In("Numbering"),
    Put(L, 4513, "ActionRUNum", "&I,II,III", " type=\"I\"").In("Numbering"),
    Put(L, 4514, "ActionRLNum", "i,&ii,iii", " type=\"i\"").In("Numbering"),
    Ask(L, 4510, "ActionListStart", "&Start value", "Start value", " start=\"%s\"", atNumber, "1")
        .In("Numbering"),

    // Tables
    Special(T, 4901, "ActionNewTable", "&Template", "NewTable"),
    Block(T, 4912, "ActionTable", "&Structure", "<table>", "</table>"),
    Inline(T, 4902, "ActionTabRow", "&Row", "<tr>", "</tr>"),
    Inline(T, 4903, "ActionTabTitle", "&Title", "<th>", "</th>"),
    Inline(T, 4904, "ActionTabData", "&Data", "<td>", "</td>").WithKey("Ctrl+Shift+F"),
    Block(T, 4905, "ActionColgroup", "Column definition", "<colgroup>", "</colgroup>"),
    Ask(T, 4906, "ActionColWidth", "Column width", "Row width", "<col width=\"%s\">", atSize, "20%"),
    Ask(T, 4907, "ActionBorder", "&Margin width", "Width of border lines", " border=\"%s\"", atNumber, "1"),
    Ask(T, 4908, "ActionRowspan", "&Rows", "Number of rows:", " rowspan=\"%s\"", atNumber, "2").In("Span"),
    Ask(T, 4909, "ActionColSpan", "&Columns", "Number of columns:", " colspan=\"%s\"", atNumber, "2")
        .In("Span"),
    Ask(T, 4910, "ActionCellspacing", "&outside", "Cell spacing (outside)", " cellspacing=\"%s\"", atSize,
        "2")
        .In("Cell spacing"),
    Ask(T, 4911, "ActionCellpadding", "&inside", "Cell pading (inside)", " cellpadding=\"%s\"", atSize, "2")
        .In("Cell spacing"),

    // Alignment
    Put(A, 4100, "ActionAlignLeft", "&Left", " align=\"left\"").In("Horizontal"),
    Put(A, 4101, "ActionAlignCenter", "&Centered", " align=\"center\"").In("Horizontal"),
    Put(A, 4102, "ActionAlignRight", "&right", " align=\"right\"").In("Horizontal"),
    Put(A, 4106, "ActionAlignJust", "&Justify", " align=\"justify\"").In("Horizontal"),
    Put(A, 4107, "ActionAlignChar", "at &character", " align=\"char\" char=\"\"", -1).In("Horizontal"),
    Put(A, 4103, "ActionAlignTop", "&Top", " valign=\"top\"").In("Vertical"),
    Put(A, 4104, "ActionAlignMiddle", "&Middle", " valign=\"middle\"").In("Vertical"),
    Put(A, 4105, "ActionAlignBottom", "&Bottom", " valign=\"bottom\"").In("Vertical"),
    Put(A, 4108, "ActionAlignBase", "at &base line", " valign=\"baseline\"").In("Vertical"),

    // Dimensions
    Ask(D, 4001, "ActionHeight", "&Height", "Height:", " height=\"%s\"", atSize, "30"),
    Ask(D, 4002, "ActionWidth", "&Width", "Width:", " width=\"%s\"", atSize, "100%"),

    // Colors: the dialog is titled with the caption
    Color(C, 4201, "ActionTextColor", "&Text color", nullptr, " text=\"#%s\"", 0x000000),
    Color(C, 4202, "ActionBgColor", "Background &color", nullptr, " bgcolor=\"#%s\"", 0xFFFFFF),
    Color(C, 4203, "ActionLinkColor", "Color of &links", nullptr, " link=\"#%s\"", 0x0000FF),
    Color(C, 4204, "ActionVisitColor", "Color of &visited links", nullptr, " vlink=\"#%s\"", 0xFF00FF),
    Color(C, 4205, "ActionActColor", "Color of &active links", nullptr, " alink=\"#%s\"", 0xFF0000),
    External(C, 4206, "ActionColor", "&Color"),
    Link(C, 4207, "ActionBgImg", "Background &image", "Background image", ImageFilter, " background=\"%s\"",
         false),

    // Frames
    Container(Fr, 4601, "ActionFrameCols", "&Vertical frameset", "Vertical frame",
              "Width:", "<frameset cols=\"%s\">", "</frameset>", "100,*"),
    Container(Fr, 4602, "ActionFrameRows", "&Horizontal frameset", "Horizontal frame",
              "Height:", "<frameset rows=\"%s\">", "</frameset>", "100,*"),
    Special(Fr, 4603, "ActionFrameRef", "&Frame contents", "FrameRef"),
    Special(Fr, 4609, "ActionIFrames", "&Embedded frame", "IFrame"),
    {"ActionFScroll", "&Scrollbars", Fr, 4604, ckOptionPut, {"Scroll bars", " scrolling=\"%s\"", "yes,no"}},
    Put(Fr, 4605, "ActionFNoResize", "&fix size", " noresize"),
    Ask(Fr, 4606, "ActionFMWidth", "Hor. &distance", "Hor. frame spacing:", " marginwidth=\"%s\"", atNumber,
        "5"),
    Ask(Fr, 4607, "ActionFMHeight", "&Vert. distance", "Vert. frame spacing:", " marginheight=\"%s\"",
        atNumber, "5"),
    Ask(Fr, 4608, "ActionFBorder", "&Frame borders", "Frame border width:", " border=\"%s\"", atNumber, "2"),

    // Forms
    Container(Fo, 4301, "ActionForm", "&Form", "Form", "Action:", "<form action=\"%s\">", "</form>"),
    InputLine(Fo, 4302, "ActionInputText", "Text &field", "Text input",
              "Variable:", "<input type=\"text\" name=\"%s\">"),
    InputLine(Fo, 4312, "ActionInputPwd", "&Password input", "Text input",
              "Variable:", "<input type=\"password\" name=\"%s\">"),
    Special(Fo, 4313, "ActionTextArea", "Input &area", "TextArea"),
    Ask(Fo, 4309, "ActionFormSize", "&Length of text field", "Size of text area:", " size=\"%s\"", atNumber,
        "20"),
    Ask(Fo, 4310, "ActionFormMax", "&Max. text length", "Max. length of text input:", " maxlength=\"%s\"",
        atNumber, "20"),
    Special(Fo, 4311, "ActionFormValue", "&Default value", "FormValue"),
    TwoInputs(Fo, 4304, "ActionInputRadio", "&Radio buttons", "Radio button",
              "Group:", "Value:", "<input type=\"radio\" name=\"%s\" value=\"%s\">"),
    TwoInputs(Fo, 4305, "ActionInputCheck", "&Checkbox", "Checkbox",
              "Group:", "Value:", "<input type=\"checkbox\" name=\"%s\" value=\"%s\">"),
    TwoInputs(Fo, 4306, "ActionInputButton", "&Button", "Button",
              "Name:", "Value:", "<input type=\"button\" name=\"%s\" value=\"%s\">"),
    Container(Fo, 4303, "ActionSelect", "&Selection list", "Selection list",
              "Name:", "<select name=\"%s\" size=\"3\">", "</select>")
        .In("Selection list"),
    Container(Fo, 4308, "ActionSelectGroup", "&Group", "Sub group", "Description:", "<optgroup label=\"%s\">",
              "</optgroup>")
        .In("Selection list"),
    Input(Fo, 4307, "ActionSelectOpt", "&List item", "List item", "Value:", "<option label=\"%s\"></option>",
          -9)
        .In("Selection list"),

    // Styles
    Link(S, 5003, "ActionStylesInclude", "External &style sheet", "Include central style sheets", CssFilter,
         "<link rel=stylesheet type=\"text/css\" href=\"%s\">", true),
    Lines(S, 0, "ActionStylesHtml", "&Internal styles ", StyleBlockLines),
    Put(S, 5004, "ActionStyles", "Style &attributes", " style=\"\"", -1),

    Put(S, 5011, "ActionFont", "&Basic", "font: ").In("Font"),
    Put(S, 5005, "ActionFontFam", "&Font", "font-family:;", -1).In("Font"),
    Ask(S, 5008, "ActionFontSize", "&Size", "Font size", "font-size:%s;", atSize, "1.0em").In("Font"),
    Option(S, 5006, "ActionFontStyle", "&Style", "Font style", "italic,oblique,normal", "font-style:%s;")
        .In("Font"),
    Option(S, 5007, "ActionFontVar", "&Variant", "Font variant", "small-caps,normal", "font-variant:%s;")
        .In("Font"),
    Option(S, 5009, "ActionFontWeight", "&Weight", "Font weight", "bold,bolder,lighter,normal",
           "font-weight:%s;")
        .In("Font"),
    Option(S, 5010, "ActionFontStretch", "&Stretch", "Font stretch",
           "wider,narrower,condensed,semi-condensed,extra-condensed,ultra-condensed,expanded,semi-expanded,"
           "extra-expanded,ultra-expanded,normal",
           "font-stretch:%s;")
        .In("Font"),
    Ask(S, 5012, "ActionFontWSpace", "&Word spacing", "Word spacing", "word-spacing:%s;", atSize, "1.0em")
        .In("Font"),
    Ask(S, 5013, "ActionFontLSpace", "&Letter spacing", "Letter spacing", "letter-spacing:%s;", atSize,
        "0.2em")
        .In("Font"),
    Color(S, 5016, "ActionFontCol", "&Color", "Font color", "color:#%s;", 0x000000, true).In("Font"),
    Put(S, 5017, "ActionFontShad", "S&hadow", "text-shadow: ").In("Font"),
    Option(S, 5014, "ActionFontDeco", "&Decoration", "Text decoration",
           "underline,overline,line-through,blink,none", "text-decoration:%s;")
        .In("Font"),
    Option(S, 5015, "ActionFontTrans", "&Transform", "Text transform", "capitalize,uppercase,lowercase,none",
           "text-transform:%s;")
        .In("Font"),

    Ask(S, 5018, "ActionTextIndent", "&Indent", "Indention:", "text-indent:%s;", atSize, "1.0em").In("Text"),
    Ask(S, 5019, "ActionLineHeight", "&Line height", "Line height:", "line-height:%s;", atSize, "1.2em")
        .In("Text"),
    Option(S, 5020, "ActionVertAlign", "&Vert. alignment", "Vert. alignment:",
           "top,middle,bottom,baseline,sub,super,text-top,text-bottom", "vertical-align:%s;")
        .In("Text"),
    Option(S, 5021, "ActionHorAlign", "&Hor. alignment", "Hor. alignment:", "left,center,right,justify",
           "text-align:%s;")
        .In("Text"),
    Option(S, 5022, "ActionWhiteSpace", "&Text wrap", "Text wrapping", "normal,pre,nowrap", "white-space:%s;")
        .In("Text"),

    Put(S, 5001, "ActionMargin", "&all distances", "margin:;", -1).In("Margin"),
    Ask(S, 5023, "ActionMarginTop", "&Top", "Margin (outside):", "margin-top:%s;", atSize, "10px", "at top:")
        .In("Margin"),
    Ask(S, 5024, "ActionMarginBottom", "&Bottom", "Margin (outside):", "margin-bottom:%s;", atSize, "10px",
        "at bottom:")
        .In("Margin"),
    Ask(S, 5002, "ActionMarginLeft", "&Left", "Margin (outside):", "margin-left:%s;", atSize, "10px",
        "at left:")
        .In("Margin"),
    Ask(S, 5025, "ActionMarginRight", "&Right", "Margin (outside):", "margin-right:%s;", atSize, "10px",
        "at right:")
        .In("Margin"),

    Put(S, 5030, "ActionPadding", "&All distances", "padding:;", -1).In("Padding"),
    Ask(S, 5026, "ActionPaddingTop", "&Top", "Margin (inside):", "padding-top:%s;", atSize, "5px", "at top:")
        .In("Padding"),
    Ask(S, 5027, "ActionPaddingBottom", "&Bottom", "Margin (inside):", "padding-bottom:%s;", atSize, "5px",
        "at bottom:")
        .In("Padding"),
    Ask(S, 5028, "ActionPaddingLeft", "&Left", "Margin (inside):", "padding-left:%s;", atSize, "5px",
        "at left:")
        .In("Padding"),
    Ask(S, 5029, "ActionPaddingRight", "&Right", "Margin (inside):", "padding-right:%s;", atSize, "5px",
        "at right:")
        .In("Padding"),

    Put(S, 5046, "ActionBorderAll", "&All sides", "border:;", -1).In("Border"),
    Put(S, 5047, "ActionBorderAllTop", "&Top", "border-top:;", -1).In("Border"),
    Put(S, 5048, "ActionBorderAllBottom", "&Bottom", "border-bottom:;", -1).In("Border"),
    Put(S, 5049, "ActionBorderAllLeft", "&Left", "border-left:;", -1).In("Border"),
    Put(S, 5050, "ActionBorderAllRight", "&Right", "border-right:;", -1).In("Border"),
    Ask(S, 5031, "ActionBorderTopWidth", "&Top", "Frame width ", "border-top-width:%s;", atSize, "2px",
        "at top:")
        .In("Border/Width"),
    Ask(S, 5034, "ActionBorderBottomWidth", "&Bottom", "Frame width ", "border-bottom-width:%s;", atSize,
        "2px", "at bottom:")
        .In("Border/Width"),
    Ask(S, 5037, "ActionBorderLeftWidth", "&Left", "Frame width ", "border-left-width:%s;", atSize, "2px",
        "at left:")
        .In("Border/Width"),
    Ask(S, 5040, "ActionBorderRightWidth", "&Right", "Frame width ", "border-right-width:%s;", atSize, "2px",
        "at right:")
        .In("Border/Width"),
    Ask(S, 5043, "ActionBorderWidth", "&All sides", "Frame width ", "border-width:%s;", atSize, "2px",
        "(all sides)")
        .In("Border/Width"),
    Option(S, 5032, "ActionBorderTopStyle", "&Top", "Frame style ", BorderStyles, "border-top-style:%s;",
           "at top:")
        .In("Border/Style"),
    Option(S, 5035, "ActionBorderBottomStyle", "&Bottom", "Frame style ", BorderStyles,
           "border-bottom-style:%s;", "at bottom:")
        .In("Border/Style"),
    Option(S, 5038, "ActionBorderLeftStyle", "&Left", "Frame style ", BorderStyles, "border-left-style:%s;",
           "at left:")
        .In("Border/Style"),
    Option(S, 5041, "ActionBorderRightStyle", "&Right", "Frame style ", BorderStyles,
           "border-right-style:%s;", "at right:")
        .In("Border/Style"),
    Option(S, 5045, "ActionBorderStyle", "&All sides", "Frame style ", BorderStyles, "border-style:%s;",
           "(all sides)")
        .In("Border/Style"),
    Color(S, 5033, "ActionBorderTopColor", "&Top", "Frame color ", "border-top-color:#%s;", 0, true,
          "at top:")
        .In("Border/Color"),
    Color(S, 5036, "ActionBorderBottomColor", "&Bottom", "Frame color ", "border-bottom-color:#%s;", 0, true,
          "at bottom:")
        .In("Border/Color"),
    Color(S, 5039, "ActionBorderLeftColor", "&Left", "Frame color ", "border-left-color:#%s;", 0, true,
          "at left:")
        .In("Border/Color"),
    Color(S, 5042, "ActionBorderRightColor", "&Right", "Frame color ", "border-right-color:#%s;", 0, true,
          "at right:")
        .In("Border/Color"),
    Color(S, 5044, "ActionBorderColor", "&All sides", "Frame color ", "border-color:#%s;", 0, true,
          "(all sides)")
        .In("Border/Color"),

    Put(S, 5054, "ActionListAll", "&Global", "list-style:;", -1).In("List"),
    Option(S, 5052, "ActionListType", "&Type",
           "List type:", "decimal,lower-roman,upper-roman,lower-alpha,upper-alpha,disc,circle,square,none",
           "list-style-type:%s;")
        .In("List"),
    Option(S, 5051, "ActionListPos", "&Indent", "List indention:", "inside,outside",
           "list-style-position:%s;")
        .In("List"),
    Link(S, 5053, "ActionListImage", "&Bullet graphic", "Bullet graphic", ImageFilter,
         "list-style-image:url(%s);", true)
        .In("List"),

    Put(S, 5055, "ActionStyleBg", "&All Properties", "background:;", -1).In("Background"),
    Color(S, 5056, "ActionStyleBgCol", "&Color", "Background color", "background-color:#%s;", 0xFFFFFF, true)
        .In("Background"),
    Link(S, 5057, "ActionStyleBgImg", "&Image", "Background image", ImageFilter, "background-image:url(%s);",
         true)
        .In("Background"),
    Option(S, 5058, "ActionStyleBgRpt", "&Repeat", "Repeat effect of background",
           "repeat,repeat-x,repeat-y,no-repeat", "background-repeat:%s;")
        .In("Background"),
    Option(S, 5059, "ActionStyleBgAtt", "Water&mark", "Background watermark", "scroll,fixed",
           "background-attachment:%s;")
        .In("Background"),
    Special(S, 5060, "ActionStyleBgPos", "&Position", "StyleBgPos").In("Background"),
    Code(S, 5061, "ActionStyleBgTransp", "&Transparent", "background-color:transparent").In("Background"),

    // Other
    Special(O, 4802, "ActionDate", "Full &Date", "Date").WithKey("Ctrl+Alt+D").In("Date"),
    Special(O, 4811, "ActionMonth", "&Month", "Month").WithKey("Ctrl+Alt+O").In("Date"),
    Special(O, 4812, "ActionYear", "&Year", "Year").WithKey("Ctrl+Alt+Y").In("Date"),
    Special(O, 4801, "ActionFileSize", "File &size", "FileSize"),
    Special(O, 4808, "ActionHashMD5", "&MD5 hash value", "Hash", "MD5").In("Hash value"),
    Special(O, 4809, "ActionHashSHA1", "SHA&1 hash value", "Hash", "SHA1").In("Hash value"),
    Special(O, 4810, "ActionHashSHA256", "SHA&256 hash value", "Hash", "SHA256").In("Hash value"),
    // Not in the keyboard layout: it has no number of its own.
    Special(O, 0, "ActionHtmlCode", "&Character entities ..", "HtmlCode"),
    Lines(O, 4803, "ActionJSBody", "Javascript &structure", ScriptBlockLines).In("JavaScript"),
    Put(O, 4804, "ActionJSLink", "JavaScript &link", "javascript:('')", -4).In("JavaScript"),
    Link(O, 4805, "ActionJSInclude", "External &Javascript", "Include Javascript", JsFilter,
         "<script language=\"JavaScript\" src=\"%s\"></script>\r\n", false)
        .In("JavaScript"),
    External(O, 4806, "ActionJsText", "&Text as JS argument").In("JavaScript"),
    External(O, 4807, "ActionJsDecode", "&Decode mail address").In("JavaScript"),
};
} // namespace

const char *const ScriptBlockLines = "%indent%<script language=\"JavaScript\" type=\"text/javascript\">\n"
                                     "%indent%%tab%<!--\n"
                                     "\n"
                                     "%indent%%tab%//-->\n"
                                     "%indent%</script>";
const char *const StyleBlockLines = "%indent%<style type=\"text/css\">\n"
                                    "%indent%%tab%<!--\n"
                                    "\n"
                                    "%indent%%tab%-->\n"
                                    "%indent%</style>";

std::span<const TCommandRow> CommandRows() {
  return Rows;
}

const TCommandRow *FindCommandRow(QStringView name) {
  for (const TCommandRow &r : Rows)
    if (name == QLatin1String(r.Name))
      return &r;
  return nullptr;
}

QStringList CommandCategories() {
  return {G, F, W, L, T, A, D, C, Fr, Fo, S, O};
}

QString ToolPageOfCategory(const QString &category) {
  if (category == QLatin1String(W))
    return QString::fromLatin1(G);
  if (category == QLatin1String(A) || category == QLatin1String(D) || category == QLatin1String(C))
    return QStringLiteral("Attributes");
  return category;
}

QString TableSkeleton(int columns, int rows, int tabWidth) {
  const QString br = QStringLiteral("\r\n"), tab(std::max(0, tabWidth), u' ');
  QString s = QStringLiteral("<table>") + br;
  for (int r = 0; r < rows; ++r) {
    s += tab + QStringLiteral("<tr>") + br;
    for (int c = 0; c < columns; ++c)
      s += tab + tab + QStringLiteral("<td></td>") + br;
    s += tab + QStringLiteral("</tr>") + br;
  }
  return s + QStringLiteral("</table>") + br;
}

QString ContainerText(const QString &openPattern, const QString &value, const QString &close, int column) {
  QString open = openPattern;
  const qsizetype at = open.indexOf(QLatin1String("%s"));
  if (at >= 0)
    open.replace(at, 2, value);
  return open + QStringLiteral("\r\n\r\n") + QString(std::max(0, column - 1), u' ') + close;
}

QString MailtoText(const QString &address, const QString &selected, int *caretOffset) {
  const QString text = QStringLiteral("<a href=\"mailto:") + address + QStringLiteral("\">") + selected +
                       QStringLiteral("</a>");
  int offset = 0;
  if (address.isEmpty())
    offset = -int(selected.size()) - 6; // inside the empty quotes
  else if (selected.isEmpty())
    offset = -4; // before "</a>"
  if (caretOffset)
    *caretOffset = offset;
  return text;
}

std::optional<TTextRun> FindSizeText(const QString &line, int caretChar) {
  static const QString sizeChars = QStringLiteral(" ,.0123456789BGKMik");
  const qsizetype caret = caretChar - 1; // index of the character after the caret
  const qsizetype b = line.indexOf(u'B', std::max<qsizetype>(0, caret - 1));
  if (b < 0)
    return std::nullopt;
  qsizetype s = b;
  while (s > 0 && sizeChars.contains(line[s - 1]))
    --s;
  // Blanks in front belong to the text before the size, not to the size.
  while (s < b && line[s] == u' ')
    ++s;
  const qsizetype len = b - s + 1;
  if (len < 4 || len > 11 || caret < s || caret > b + 1)
    return std::nullopt;
  return TTextRun{int(s) + 1, int(len)};
}

QString HashName(THashKind kind) {
  switch (kind) {
  case hkMD5:
    return QStringLiteral("MD5");
  case hkSHA1:
    return QStringLiteral("SHA1");
  case hkSHA256:
    break;
  }
  return QStringLiteral("SHA256");
}

std::optional<THashKind> HashKindOfName(const QString &name) {
  for (THashKind k : {hkMD5, hkSHA1, hkSHA256})
    if (HashName(k) == name)
      return k;
  return std::nullopt;
}

std::optional<QString> FileDigest(const QString &fileName, THashKind kind, qint64 pieceSize) {
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly))
    return std::nullopt;
  const QCryptographicHash::Algorithm algo = kind == hkMD5    ? QCryptographicHash::Md5
                                             : kind == hkSHA1 ? QCryptographicHash::Sha1
                                                              : QCryptographicHash::Sha256;
  QCryptographicHash hash(algo);
  QByteArray piece(std::max<qint64>(1, pieceSize), Qt::Uninitialized);
  while (true) {
    const qint64 n = f.read(piece.data(), piece.size());
    if (n < 0)
      return std::nullopt;
    if (n == 0)
      break;
    hash.addData(QByteArrayView(piece.constData(), n));
  }
  return QString::fromLatin1(hash.result().toHex());
}

QStringList ReadLocalAnchors(const QString &text) {
  QStringList entries;
  qsizetype pos = 0;
  qsizetype counted = 0; // line breaks before here are counted in line
  int line = 1;
  while (true) {
    const qsizetype a = text.indexOf(QLatin1String("<a"), pos, Qt::CaseInsensitive);
    if (a < 0)
      break;
    pos = a + 2;
    qsizetype p = pos;
    while (p < text.size() && (text[p] == u' ' || text[p] == u'\t'))
      ++p;
    if (QStringView(text).mid(p, 6).compare(QLatin1String("name=\""), Qt::CaseInsensitive) != 0)
      continue;
    const qsizetype nameStart = p + 6;
    pos = nameStart;
    const qsizetype quote = text.indexOf(u'"', nameStart);
    if (quote < 0)
      continue;
    const QString name = text.mid(nameStart, quote - nameStart).trimmed();
    const qsizetype gt = text.indexOf(u'>', quote + 1);
    QString linkText;
    if (gt >= 0) {
      const qsizetype end = text.indexOf(QLatin1String("</a>"), gt + 1);
      if (end >= 0) {
        const QString raw = text.mid(gt + 1, end - gt - 1);
        bool inTag = false;
        for (QChar ch : raw) {
          if (ch == u'<')
            inTag = true;
          else if (ch == u'>' && inTag)
            inTag = false;
          else if (inTag || ch == u'\n')
            continue;
          else
            linkText += (ch == u'\r' || ch.unicode() == 160) ? QChar(u' ') : ch;
        }
        linkText = linkText.trimmed();
      }
    }
    // Counted on from the previous anchor: a page with many anchors stays linear.
    line += int(QStringView(text).mid(counted, nameStart - counted).count(u'\n'));
    counted = nameStart;
    // Names and link texts are data: a "%2" in them must come through as it stands.
    entries << u'|' + name + QStringLiteral("| (") + QString::number(line) + QStringLiteral("): ") + linkText;
  }
  return entries;
}

QString AnchorNameOfEntry(const QString &entry) {
  QString s = entry;
  s.remove(u'|');
  const qsizetype paren = s.indexOf(u'(');
  return (paren >= 0 ? s.left(paren) : s).trimmed();
}

QString MonthText(QDate date, const QLocale &locale) {
  return locale.monthName(date.month(), QLocale::LongFormat);
}
