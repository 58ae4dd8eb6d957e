#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CBeam;
class CChannel;
class CFrame;
class CMatrix;
class CPoly;
class CScene;
class CSceneStream;
class CThing;
class CVector;

// Scene files (".scn"): the show software's binary storage of one CScene with its channels,
// beams, frames, things, polys and vertices. Little-endian, no padding, no record lengths. The
// file starts with the magic "SCN7", a channel count and a table of channel offsets, then the
// scene record and the channel records.
//
// Every stored class has one serialize routine that writes (writing = true) or reads
// (writing = false) its fields in the same order, so writer and reader share one layout. The
// routines take the format version and leave out the fields that older versions lack, in both
// directions; this system writes version 7 only.

// The version this system writes.
inline constexpr int SceneFileVersion = 7;
// The longest channel text (`text`, `font_name`): the model keeps them in 260-byte buffers.
inline constexpr int SceneTextMaxLength = 259;

// Writes `scene` to fileName as version 7, replacing any file of that name. The file appears
// complete or not at all: it is written beside the target and renamed over it only once every
// byte is written and the file is closed; on any failure the partial file is removed and an
// existing target keeps its bytes. A failure is reported through ShowThemedMessage ("Cannot save
// file.", error, OK) and gives false. Memory running out is not reported but thrown as
// std::bad_alloc, with nothing written. The scene is not changed.
bool SaveSceneFile(CScene* scene, const std::string& fileName);

// The format version of a scene file image: 1 to 7 for the magic "SCN1" to "SCN7", 0 when the
// bytes do not begin with one of them.
[[nodiscard]] int SceneFileVersionOf(std::span<const uint8_t> bytes);

// Reads a scene file image into `scene`, which should be a freshly constructed scene without
// channels (fields that an older version lacks keep their constructed values). The version is
// taken from the magic. frameLimit bounds the frames read per channel (0: all).
//
// Counts, text lengths and offsets are checked against the bytes that remain, so a broken file
// fails before anything is allocated for it and nothing is read outside `bytes`. On false,
// *error (when given) holds a one-line reason, and the scene holds an incomplete read that the
// caller should discard. Reports nothing itself.
[[nodiscard]] bool LoadSceneFile(std::span<const uint8_t> bytes, CScene* scene, int frameLimit = 0,
                                 std::string* error = nullptr);

// The bytes of the scene file at fileName, which must be a regular file: anything else (a FIFO,
// a device, a directory) fails at once with the reason "not a regular file". False, with a
// one-line reason in *error (when given), when the file cannot be opened or read.
[[nodiscard]] bool ReadSceneFileBytes(const std::string& fileName, std::vector<uint8_t>& bytes,
                                      std::string* error = nullptr);

// As LoadSceneFile over bytes, from the file at fileName (read by ReadSceneFileBytes).
[[nodiscard]] bool LoadSceneFile(const std::string& fileName, CScene* scene, int frameLimit = 0,
                                 std::string* error = nullptr);

// The serialize routines. Each moves its object's record through `file` in the direction
// `writing`, and returns false once the stream has failed (the reason is in file.Error()).
// Reading appends each record read to the owner's list.

// Channel count, offset table, scene record and every channel. Writing patches the offset
// table once the channels are written; reading locates each channel by its offset alone.
bool SerializeScene(CScene* scene, CSceneStream& file, bool writing, int version, int frameLimit);
// The scene record. After reading a version below 6, output_laser_flag and output_video_flag
// are set and laser_scan_speed is converted from the old scale (ConvertOldScanSpeed).
bool SerializeSceneHeader(CScene* scene, CSceneStream& file, bool writing, int version);
// The channel record, then its frame count and frames (reading at most frameLimit, 0: all).
bool SerializeChannel(CChannel* channel, CSceneStream& file, bool writing, int version,
                      int frameLimit);
// The channel record from its first flag to its beams. Reading a version below 6 converts
// laser_scan_speed from the old scale.
bool SerializeChannelHeader(CChannel* channel, CSceneStream& file, bool writing, int version);
bool SerializeFrame(CFrame* frame, CSceneStream& file, bool writing);
bool SerializeThing(CThing* thing, CSceneStream& file, bool writing);
// Reading recomputes the poly's plane from the vertices read.
bool SerializePoly(CPoly* poly, CSceneStream& file, bool writing);
// x, y, z, reserved, colour, blank: 21 bytes.
bool SerializeVertex(CVector* vertex, CSceneStream& file, bool writing);
// The nine rotation entries row by row, then the translation's x, y, z: 48 bytes.
bool SerializeMatrix(CMatrix* matrix, CSceneStream& file, bool writing);

// A counted text: an int32 byte count, then the bytes, no terminator.
bool WriteCountedText(CSceneStream& file, const std::string& text);
// Fails when the count is negative or runs past the end of the file.
bool ReadCountedText(CSceneStream& file, std::string& text);

// The scan-rate table: index 0 to 99 of a laser_scan_speed from version 6 on, falling from
// 65535 to 60.
extern const int32_t ScanRateTable[100];

// An old (version 1 to 5) laser_scan_speed on the scale 0 to 512 as a scan-rate index 0 to 99.
[[nodiscard]] int32_t ConvertOldScanSpeed(int32_t oldSpeed);
