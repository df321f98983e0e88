// The texts that the page utilities write into pages.
#pragma once

#include <string_view>

namespace kpx::page_texts {

// Document type lines, each ended by CR LF.
inline constexpr std::u16string_view kXhtmlTransitionalDoctype =
    u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
    u"\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\r\n";
inline constexpr std::u16string_view kHtml401TransitionalDoctype =
    u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
    u"\"http://www.w3.org/TR/html4/loose.dtd\">\r\n";

// Attributes, each with the space that separates it from what stands before it.
inline constexpr std::u16string_view kXhtmlNamespace = u" xmlns=\"http://www.w3.org/1999/xhtml\"";
inline constexpr std::u16string_view kScriptType = u" type=\"text/javascript\"";
inline constexpr std::u16string_view kStyleType = u" type=\"text/css\"";
inline constexpr std::u16string_view kXhtmlContent = u" content=\"application/xhtml+xml\"";
inline constexpr std::u16string_view kXhtmlMediaType = u"application/xhtml+xml";

// What closes an empty element in XHTML.
inline constexpr std::u16string_view kEmptyElementClose = u" /";

// The content-type META that a head without one receives, with its line feed.
inline constexpr std::u16string_view kXhtmlContentTypeMeta =
    u"<meta http-equiv=\"content-type\" content=\"application/xhtml+xml\" />\n";

// Guards that let a script or style body stand in XHTML and still run in an HTML reader.
inline constexpr std::u16string_view kScriptGuardOpener = u"<!--//--><![CDATA[//><!--";
inline constexpr std::u16string_view kScriptGuardCloser = u"//--><!]]>";
inline constexpr std::u16string_view kStyleGuardOpener = u"<!--/*--><![CDATA[/*><!--*/";
inline constexpr std::u16string_view kStyleGuardCloser = u"/*]]>*/-->";
// Content holding it is already guarded by other means and is never wrapped.
inline constexpr std::u16string_view kCDataMarker = u"<kpscdata";

// Placeholders written in attribute position are read into this attribute.
inline constexpr std::u16string_view kPlaceholderAttribute = u"kpscheckedattr";

}  // namespace kpx::page_texts
