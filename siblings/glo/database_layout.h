// Where the explicit analysis puts things in its database, for the words that the readers do
// not find through a directory: the model table's header rows, the per-domain entries, the
// groups of block numbers, the class areas and the stored quaternions. The database builder
// writes by these constants and the import readers read by them; nothing else fixes them.
//
// Word numbers count from 1. Units: 60 holds the model (201), per-domain data (202) and steps
// (203); 61 the restart data (301) and the state of each stored increment (501, 502).
#pragma once

namespace edi_layout {

inline constexpr int kModelUnit = 60;
inline constexpr int kStateUnit = 61;
inline constexpr int kModelPartition = 201;
inline constexpr int kDomainPartition = 202;
inline constexpr int kStepPartition = 203;
inline constexpr int kRestartPartition = 301;
inline constexpr int kStatePartition = 501;
inline constexpr int kSharedStatePartition = 502;

// The model table opens with one row of 65 words per domain; the model-wide words sit in row 1,
// and row d holds domain d's words at kRowNodeLayout and kRowDomainEntry.
inline constexpr int kRowWords = 65;
inline constexpr int kNodes = 1;
inline constexpr int kRowNodeLayout = 4;     // position p(d) of the domain's node layout
inline constexpr int kNodeEntries = 5;       // position of the 13-word domain node entries
inline constexpr int kGroupOffsets = 6;      // position of the group offsets
inline constexpr int kBlockList = 9;         // position of the list of block numbers
inline constexpr int kLengthList = 10;       // position of the list of block lengths (parallel)
inline constexpr int kClasses = 11;
inline constexpr int kClassRecords = 12;
inline constexpr int kPackageFirstTerm = 14;
inline constexpr int kGlobalBlockA = 18;     // block number in 501 of the 29-real global block
inline constexpr int kLabelBlockLength = 19;
inline constexpr int kNodeSets = 25;
inline constexpr int kElementSets = 26;
inline constexpr int kNodeSetRecords = 27;
inline constexpr int kElementSetRecords = 28;
inline constexpr int kGlobalBlockB = 29;     // block number in 501 of the 23-real global block
inline constexpr int kLabelBlock = 35;       // block number in every 202 of all classes' labels
inline constexpr int kPackageSecondTerm = 41;
inline constexpr int kDomains = 54;
inline constexpr int kRowDomainEntry = 55;   // position of the domain's entry
// The connectivity reader finds the domain node entries, the block list and the group offsets
// through these words; the writer repeats words 5, 9 and 6 there.
inline constexpr int kConnectivityNodeEntries = 58;
inline constexpr int kConnectivityBlockList = 59;
inline constexpr int kConnectivityGroupOffsets = 62;

// Node layout of a domain (8 words): coordinate and rotational component counts, and the
// number of values per node in the second group's coordinate block.
inline constexpr int kNodeLayoutWords = 8;
inline constexpr int kLayoutComponents = 1;
inline constexpr int kLayoutRotComponents = 2;
inline constexpr int kLayoutSecondStride = 6;

// Domain node entry (13 words).
inline constexpr int kNodeEntryWords = 13;
inline constexpr int kEntryNodes = 1;
inline constexpr int kEntryRotNodes = 2;
inline constexpr int kEntrySecondNodes = 6;
inline constexpr int kEntryThirdNodes = 12;

// Domain entry (32 words): the two output flags and the domain's global block in 501.
inline constexpr int kDomainEntryWords = 32;
inline constexpr int kDomainFirstOutputFlag = 1;
inline constexpr int kDomainSecondOutputFlag = 2;
inline constexpr int kDomainGlobalBlock = 28;
inline constexpr int kDomainGlobalWords = 23;
inline constexpr int kGlobalAWords = 29;
inline constexpr int kGlobalBWords = 23;
inline constexpr int kDomainTimeIncrement = 3;  // word of the domain's global block

// Group offsets (12 words): 0-based offsets into the block list of each group; each domain has
// its slots of a group one after another.
inline constexpr int kGroupOffsetWords = 12;
inline constexpr int kOffsetTranslational = 1;
inline constexpr int kOffsetRotational = 2;
inline constexpr int kOffsetSecond = 6;
inline constexpr int kOffsetThird = 12;
inline constexpr int kTranslationalSlots = 36;
inline constexpr int kRotationalSlots = 19;
inline constexpr int kSecondSlots = 20;
inline constexpr int kThirdSlots = 19;

// Slots of the translational group (partition in brackets).
inline constexpr int kTLocalCoordinates = 1;  // 202, c x m
inline constexpr int kTDisplacement = 3;      // 501, c x m
inline constexpr int kTVelocity = 5;          // 501, c x m
inline constexpr int kTForce = 6;             // 501, c x m
inline constexpr int kTStart = 9;             // 501, c x m
inline constexpr int kTMass = 10;             // 501, m
inline constexpr int kTReaction = 11;         // 501, c x m
inline constexpr int kTOrigin = 12;           // 202, c
inline constexpr int kTShift = 16;            // 502, c
inline constexpr int kTLabels = 30;           // 202, m
inline constexpr int kTPositions = 31;        // 202, m
// Rotational group.
inline constexpr int kRVelocity = 1;          // 501, cr x mr
inline constexpr int kRAcceleration = 2;      // 501, cr x mr
inline constexpr int kRQuaternions = 4;       // 501, (cr + 1) x mr
inline constexpr int kRStart = 6;             // 501, cr x mr
inline constexpr int kRInertia = 8;           // 501, mr
inline constexpr int kRPositions = 15;        // 202, mr
inline constexpr int kRLocalNodes = 16;       // 202, mr local node numbers
// Second node group.
inline constexpr int kSLabels = 1;            // 202, m2
inline constexpr int kSPositions = 2;         // 202, m2
inline constexpr int kSCoordinates = 3;       // 202, stride x m2
// Third node group.
inline constexpr int kUPositions = 1;         // 202, m3
inline constexpr int kUScalar = 2;            // 502, m3
inline constexpr int kUValues = 3;            // 502, count x m3

// A stored quaternion: cr + 1 reals per node, node after node, the scalar part first.
inline constexpr int kQuaternionScalarFirst = 1;

// Element class record (19 words) and the class's connectivity words (3, named by record words
// 3 and 4 and by type-record word 9).
inline constexpr int kClassRecordWords = 19;
inline constexpr int kConnectivityWords = 3;
inline constexpr int kTypeRecordWords = 41;
inline constexpr int kSectionHeaderWords = 17;
inline constexpr int kSectionEntryWords = 23;
inline constexpr int kSetRecordWords = 12;

// Directories.
inline constexpr int kModelDirectoryWords = 4;
inline constexpr int kRestartDirectoryWords = 8;
inline constexpr int kStepDirectoryWords = 6;
inline constexpr int kStepRowWords = 16;
inline constexpr int kStepBlockWords = 80;
inline constexpr int kStepNodeBlockWords = 16;
inline constexpr int kNodeValueCount = 11;   // word of the third step block

}  // namespace edi_layout
