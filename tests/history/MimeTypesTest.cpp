#include <gtest/gtest.h>

#include "platform/MimeTypes.h"
#include "platform/Pasteboard.h"

namespace quillet {
namespace {

TEST(MimeTypes, MapsOwnerFormatsToTypeIdentifiers) {
    const QStringList xTargets{"TARGETS",      "MULTIPLE",    "TIMESTAMP",
                               "SAVE_TARGETS", "UTF8_STRING", "text/plain;charset=utf-8"};
    EXPECT_EQ(mapClipboardFormats(xTargets, {}, {}), QStringList{PasteboardType::string});
    EXPECT_EQ(mapClipboardFormats({"image/png", "image/bmp"}, {}, {}),
              (QStringList{PasteboardType::png, PasteboardType::tiff}));
    EXPECT_EQ(mapClipboardFormats({"image/jpeg"}, {}, {}), QStringList{PasteboardType::tiff});
}

TEST(MimeTypes, OnlyLocalFileListsCountAsFiles) {
    EXPECT_TRUE(mapClipboardFormats({"text/uri-list", "text/plain"}, "file:///home/a.txt\r\n", {})
                    .contains(PasteboardType::fileURL));
    EXPECT_TRUE(mapClipboardFormats({"x-special/gnome-copied-files"}, "copy\nfile:///tmp/x", {})
                    .contains(PasteboardType::fileURL));
    // A copied web link is text, not a file.
    const QStringList link =
        mapClipboardFormats({"text/uri-list", "text/plain"}, "https://example.org/\n", {});
    EXPECT_FALSE(link.contains(PasteboardType::fileURL));
    EXPECT_TRUE(link.contains(PasteboardType::string));
}

TEST(MimeTypes, PasswordManagerSecretsAreConcealed) {
    EXPECT_TRUE(mapClipboardFormats({"text/plain", "x-kde-passwordManagerHint"}, {}, "secret")
                    .contains(PasteboardType::concealed));
    EXPECT_FALSE(mapClipboardFormats({"text/plain", "x-kde-passwordManagerHint"}, {}, "public")
                     .contains(PasteboardType::concealed));
}

}  // namespace
}  // namespace quillet
