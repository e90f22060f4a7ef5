// The persistent form of an EntityLink: an Xrecord "VurkArx" in the extension dictionary of the
// linked entity or layer table record.
//
// The record holds twelve items in a fixed order: four texts (group 1: the map object id as
// unsigned decimal text, the name, the comment cut to 6000 characters, an empty text), four
// 32-bit integers (group 90: the member code, the companion handle in 32 bits, the icon number,
// 0) and four reals (group 40: the saved X and Y of a label with an icon, 0, 0). A layer link
// writes the texts and zeros in items 5 to 12.
//
// Reading trusts nothing of a record that may come from another program: a record with fewer
// than twelve items or with another group code at any of the twelve places gives a fresh link
// (as if there were none); items after the twelfth are ignored; texts longer than the plug-in
// ever writes are cut at a character boundary.
#pragma once

#include <cstdint>
#include <string>

#include "arx/acadstrc.h"
#include "arx/adsdef.h"
#include "arx/dbid.h"
#include "exchange/entity_link.h"

class AcDbDatabase;
class AcDbObject;

namespace vurk {

// The key of the record in the extension dictionary, also the registered application name.
inline constexpr const char16_t* kLinkRecordKey = u"VurkArx";
// The longest comment the record keeps, and the longest name read back (the property dialog's
// limit), in UTF-16 units.
inline constexpr std::size_t kStoredCommentLimit = 6000;
inline constexpr std::size_t kStoredNameLimit = 1000;

// Which items a reader takes: texts and the member code for every class; companion handle,
// icon number and saved position for labels; companion handle and icon number for images.
enum class LinkReadScope { Plain, Label, Image };
LinkReadScope ReadScopeOf(const AcDbObject& object);

// The result-buffer chain of a link (release with acutRelRb).
resbuf* LinkChain(const EntityLink& link);
// The chain of a layer link: the folder id and the layer name, zeros after them.
resbuf* LayerLinkChain(std::int32_t folderId, const std::u16string& layerName);
// The link a chain describes, with entityKey and labelFixed as a fresh link has them; a fresh
// link when the chain is malformed.
EntityLink LinkFromChain(const resbuf* chain, LinkReadScope scope, std::uint64_t entityKey);

// The text cut to at most `limit` UTF-16 units without splitting a surrogate pair.
std::u16string CutText(const std::u16string& text, std::size_t limit);

// The link stored with the object (open for read or write): the record's values, or a fresh
// link with entityKey = its handle when it has none or a malformed one.
EntityLink readLinkRecord(const AcDbObject& object);
// The same for an object id, without any cache: the object is opened for read and closed.
// Null id, or an object that does not open: a fresh link with entityKey 0.
EntityLink readLinkById(AcDbObjectId id);

// Writes the link into the object, which must be open for write: registers the application
// name in the object's database, creates the extension dictionary and the record when missing.
// A TEXT or MTEXT whose link name was edited in the property dialog (nameEdited) first gets
// that name as its text. eOk, or the status of the first step that failed (nothing after it is
// changed).
Acad::ErrorStatus writeLink(AcDbObject& object, const EntityLink& link);
// Writes a layer link (folder id, layer name) into the layer's table record of the database,
// creating the layer when it does not exist. The database's document must be locked for write.
Acad::ErrorStatus writeLayerLink(AcDbDatabase* db, const std::u16string& layerName, std::int32_t folderId);

}  // namespace vurk
