#pragma once
// The picture of a contact: the first PHOTO no field holds, kept byte for byte as it came.
// A photo set here is the file's bytes in base64 (PHOTO;ENCODING=b;TYPE=JPEG), as a 3.0
// card writes it.
#include <optional>
#include <string>
#include <string_view>

class CRecordExtras;
struct VCardProperty;

// The shown photo, or null.
const VCardProperty* ShownPhoto(const CRecordExtras* extras);
// The picture's bytes: the base64 value, or a data: URI's content. Nothing for a link to a
// picture elsewhere or a value that does not decode.
std::optional<std::string> PhotoBytes(const VCardProperty& photo);
// "JPEG", "PNG", "GIF", "BMP" or "WEBP" by the bytes' signature; empty when unknown.
std::string PhotoType(std::string_view bytes);
// Sets the photo to these bytes, in the place of the shown one (its group kept), or last.
// type is the picture's format ("JPEG"); empty leaves TYPE out.
void SetPhoto(CRecordExtras& extras, std::string_view bytes, std::string_view type);
// Removes every shown photo; tells whether there was one.
bool RemovePhoto(CRecordExtras& extras);

std::string EncodeBase64(std::string_view bytes);
// Blanks and line breaks are skipped; any other stray character, or a length no base64
// text has, gives nothing.
std::optional<std::string> DecodeBase64(std::string_view text);
