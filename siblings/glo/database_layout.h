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

// Element class record (19 words): 1 kind, 2 type record, 3 and 4 the two class block tables,
// 5 group list, 6 real class data, 8 segments, 11 x 12 block multiplier, 15 centre flag,
// 18 domain, 19 a flag of type 13316.
inline constexpr int kClassRecordWords = 19;
inline constexpr int kClassBlockNumbers = 3;
inline constexpr int kClassBlockWords = 4;
inline constexpr int kClassGroupList = 5;
inline constexpr int kClassReals = 6;
inline constexpr int kClassSegments = 8;
inline constexpr int kClassCentreFlag = 15;
inline constexpr int kClassDomain = 18;
inline constexpr int kTypeRecordWords = 41;
// Class block tables (18 words each): block numbers of the class's stored blocks, and their
// words per segment, at these words. The 202 integer segment holds the node-major connectivity
// from the start word (type-record word 9 names the table word that holds it), then the
// rotational index list; the node-list table (type-record word 10) gives both positions.
inline constexpr int kClassBlockTableWords = 18;
inline constexpr int kBlockDomainIntegers = 1;
inline constexpr int kBlockDomainReals = 2;
inline constexpr int kBlockState = 6;
inline constexpr int kBlockSharedState = 18;
// Type-record words of the element state.
inline constexpr int kTypeCode = 1;
inline constexpr int kTypeFlags = 2;
inline constexpr int kTypeElements = 3;
inline constexpr int kTypeSegmentLength = 4;
inline constexpr int kTypePasses = 5;  // beams
inline constexpr int kTypeGroupLayouts = 7;
inline constexpr int kTypeVariables = 8;
inline constexpr int kTypeStart = 9;
inline constexpr int kTypeNodeLists = 10;
inline constexpr int kTypeStateOffset = 16;
inline constexpr int kTypeDomainOffset = 18;
inline constexpr int kTypeSmallStretch = 24;
inline constexpr int kTypeSharedOffset = 30;
inline constexpr int kNodeListWords = 2;
// Group list: word 1 the number of groups, word 4 where the group records start, word 6 the
// section real record in the real class data (its word 10 the thickness, 12 a must-be-zero).
inline constexpr int kGroupListWords = 8;
inline constexpr int kGroupRecordWords = 23;
inline constexpr int kGroupLayoutWords = 20;
inline constexpr int kSectionRealWords = 20;
// Continuum classes: the class variable table holds one 57-word entry per point group; entry
// words 2 the stored rotation (quaternions, or pairs for planar types), 3 the stored element
// array (the gradient), 10 the hourglass components, 11 the membrane drill pairs, 16 a factor,
// 28 an element array of 12 columns, 29 the element area or volume (501 data, from type-record
// word 16); 20 the values of key 9302 and 22 the element value of key 33000 (502 data, from
// word 30). Group variables as for shells: 1 stress, 3 and 4, 28 strain (point, 501), 22 and 33
// the rebar direction weights (point, 502), 21 thickness, 31 reference directions (cosine, sine)
// and 32 reference angles (group, 202).
inline constexpr int kSolidEntryWords = 57;
// Beam classes: class variables 3 moments (3), 4 curvatures (3), 5 rotation (quaternion, or pair), 6 axial
// strain, 7 axial force, 8 the element value of key 33000, 13 an element array (5 blocks of n),
// 14, 15 and 16 the factors of key 31000, 29 lengths (2), 30 the stored section array (4) (501);
// 9 shear strains (2) (502). The section real record's words 4, 17, 18, 19 are section factors.
// A group's material: its record (5 words: code, -, offset of the material block in the point's
// 501 data, -, position of the position table P), P of at least 16 words, and the flag table F
// of at least 200 words in the group's own table from the word its word 2 names. Offsets of
// stored arrays (class and group variable tables, group layouts) count words from 0.
inline constexpr int kMaterialRecordWords = 5;
inline constexpr int kMaterialPositions = 16;
inline constexpr int kMaterialFlags = 200;
// The global table at model-table word 33: word 3 the thickness switch.
inline constexpr int kGlobalTable = 33;
inline constexpr int kGlobalTableWords = 4;
inline constexpr int kThicknessSwitch = 3;
// Word of the step block read as the restart-side model block: the reference-angle switch (the
// value that the step inquiry hands out).
inline constexpr int kReferenceAngleSwitch = 51;
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
