// The node message catalogues: the checks of the pre-processor (missing, inactive and
// overconstrained nodes, boundary conditions, couplings, ties, rigid bodies), the node checks
// shared with the solvers, and the implicit solver's contact, overconstraint and adaptive-mesh
// checks. Severity follows the label's prefix (Err -2, Warn -1, Info 1) and the set is a node
// set, except where a row says otherwise.

#include "messages/catalogue/catalogue_rows.h"
#include "siblings/utl/utl.h"

namespace {

using zmx::kElementSet;
using zmx::kNodeSet;
using zmx::kNoSet;
using zmx::catalogue::Row;
using zmx::catalogue::sortedByKey;

// Pre-processor checks.
constexpr Row kPreRows[] = {
    {-2599, "WarnNodeNoRotLineElemSurf", -1, kNodeSet,
     "the tangent directions used to enforce contact constraints for %I slave nodes will not rotate with the "
     "master or slave surface because the slave is a surface consisting of line elements with no rotational "
     "dofs. The nodes have been identified in node set %S."},
    {-2598, "WarnNodeNoRotNodSurf", -1, kNodeSet,
     "The tangent directions used to enforce contact constraints for %I slave nodes will not rotate with the "
     "master or slave surface because the slave is a node-based surface with no rotational dofs. The nodes "
     "have been identified in node set %S."},
    {-2590, "ErrNodeOverconDCOUPRB", -2, kNodeSet,
     "%I distributing coupling nodes belong to a rigid body and are overconstrained. The nodes have been "
     "identified in node set %S."},
    {-2589, "WarnNodeOverconDCOUPRB", -1, kNodeSet,
     "%I distributing coupling nodes belong to a rigid body. The nodes have been identified in node set %S."},
    {-2588, "ErrNodeOverconKCInRbd", -2, kNodeSet,
     "%I kinematic coupling nodes belong to a rigid body and are overconstrained. The nodes have been "
     "identified in node set %S."},
    {-2587, "WarnNodeOverconKCInRbd", -1, kNodeSet,
     "%I kinematic coupling nodes belong to a rigid body. The nodes have been identified in node set %S."},
    {-2586, "WarnNodeOverconBoundCoup", -1, kNodeSet,
     "%I Lagrange multiplier based COUPLING constraints have boundary conditions specified at all "
     "nodesassociated with each constraint. An overconstraint will most likely occur.The reference nodes of "
     "these constraints have been identified in node set %S."},
    {-2585, "WarnNodeOverconBoundTieInc", -2, kNodeSet,
     "%I *TIE dependent nodes have specified boundary conditions.  Their associated *TIE independent nodes "
     "have, however, conflicting boundary conditions. Please resolve these conflicting boundary conditions. "
     "The *TIE dependent and independent nodes have been identified in node set %S."},
    {-2584, "WarnNodeOverconBoundTieTra", -1, kNodeSet,
     "%I *TIE dependent nodes have translational boundary conditions prescribed. The nodes have been "
     "identified in node set %S."},
    {-2583, "WarnNodeOverconBoundTieNoc", -1, kNodeSet,
     "%I *TIE dependent nodes have boundary conditions that cannot be checked for consistency. The nodes have "
     "been identified in node set %S."},
    {-2582, "WarnNodeOverconBoundTieMov", -1, kNodeSet,
     "%I *TIE dependent nodes have boundary conditions that move with their independent nodes. The nodes have "
     "been identified in node set %S."},
    {-2581, "WarnNodeOverconBoundRBTra", -1, kNodeSet,
     "%I RIGID BODY nodes have translational boundary conditions prescribed at nodes other than the reference "
     "node. The nodes have been identified in node set %S."},
    {-2580, "WarnNodeOverconBoundRBNoC", -1, kNodeSet,
     "%I RIGID BODY nodes have boundary conditions prescribed that cannot be checked for consistency. The "
     "nodes have been identified in node set %S."},
    {-2579, "ErrNodeOverconBoundRBIncRot", -2, kNodeSet,
     "%I RIGID BODY nodes have inconsistent rotational boundary conditions. The nodes have been identified in "
     "node set %S."},
    {-2578, "ErrNodeOverconBoundRBInc", -1, kNodeSet,
     "Nodes belonging to one (or several) RIGID BODIES have boundary conditions prescribed at nodes other than "
     "the reference node(s). These boundary conditions are inconsistent.The reference node(s) and/or the rigid "
     "body dependent node(s) with inconsistent boundary conditions have been identified in node set %S."},
    {-2577, "WarnNodeOverconBoundRBRot", -1, kNodeSet,
     "%I RIGID BODY nodes have rotational boundary conditions prescribed at nodes other than the reference "
     "node. The nodes have been identified in node set %S."},
    {-2576, "WarnNodeOverconBoundRB", -1, kNodeSet,
     "%I RIGID BODY nodes have boundary conditions prescribed at nodes other than the reference node. The "
     "nodes have been identified in node set %S."},
    {-2573, "ErrNodeOverconConnInternal", -2, kNodeSet,
     "%I nodes are overconstrained by connector elements that are internal to one rigid body and cannot be "
     "resolved. The nodes have been identified in node set %S."},
    {-2572, "WarnNodeOverconConnInternal", -1, kNodeSet,
     "%I nodes are overconstrained by connector elements that are internal to one rigid body. The nodes have "
     "been identified in node set %S."},
    {-2570, "ErrNodeOverconTieInRbd", -2, kNodeSet,
     "%I *TIE slave nodes belong to a rigid body. The nodes have been identified in node set %S."},
    {-2569, "WarnNodeOverconTieInRbd", -1, kNodeSet,
     "%I *TIE slave nodes belong to a rigid body. The *TIE constraint will be ignored at these nodes. The "
     "nodes have been identified in node set %S."},
    {-2566, "WarnNodeOverconTieContact", -1, kNodeSet,
     "%I *TIE slave nodes are also slave nodes of a contact pair. The contact pair will be ignored at these "
     "nodes. The nodes have been identified in node set %S."},
    {-2565, "ErrNodeOverconTieContact", -2, kNodeSet,
     "%I *TIE slave nodes are also slave nodes of a contact pair. The nodes have been identified in node set "
     "%S."},
    {-2564, "ErrNodeOverconTieSlave", -2, kNodeSet,
     "%I *TIE slave nodes are overconstrained. The nodes have been identified in node set %S."},
    {-2563, "WarnNodeOverconTieSlave", -1, kNodeSet,
     "%I *TIE slave nodes are also constrained by another *TIE constraint. The later constraint will be "
     "ignored. The nodes have been identified in node set %S."},
    {-2562, "ErrNodeOverconTieTie", -2, kNodeSet,
     "%I nodes are slave nodes of more than one *TIE constraint. The nodes have been identified in node set %S."},
    {-2561, "ErrElemEmbeddedNodeDiffDof", -2, kElementSet,
     "%I host elements at a node have different number of degrees of freedom from the embedded node. The "
     "elements have been identified in element set %S."},
    {-2560, "WarnElemEmbeddedTempDof", -1, kElementSet,
     "%I embedded elements have temperature, electrical potential or pore pressure degrees of freedom. They "
     "are not constrained to the host elements. The elements have been identified in element set %S."},
    {-2559, "ErrElemEmbeddedRotDof", -2, kElementSet,
     "%I elements have rotational degrees of freedom. They can not be used as embedded elements or host "
     "elements. The elements have been identified in element set %S."},
    {-2558, "ErrNodeEmbeddedNode", -2, kNodeSet,
     "%I embedded nodes could not be located in any host element. The nodes have been identified in node set "
     "%S."},
    {-2556, "WarnNodeICInactiveDof", -1, kNodeSet,
     "Initial conditions are specified on inactive degrees of freedom of %I nodes. They will be ignored. The "
     "nodes have been identified in node set %S."},
    {-2550, "ErrNodePressInactive", -2, kNodeSet,
     "Pressure is specified on %I nodes that are inactive. The nodes have been identified in node set %S."},
    {-2549, "ErrNodeMassFlInactive", -2, kNodeSet,
     "Mass flow is specified on %I nodes that are inactive. The nodes have been identified in node set %S."},
    {-2548, "ErrNodeFieldInactive", -2, kNodeSet,
     "Field variables are specified on %I nodes that are inactive. The nodes have been identified in node set "
     "%S."},
    {-2546, "WarnNodeCylTransSys", -1, kNodeSet,
     "The cylindrical transformation system of %I nodes is singular at the axis. The nodes have been "
     "identified in node set %S."},
    {-2540, "ErrNodeCavNoCoinNode", -2, kNodeSet,
     "%I fluid cavity nodes have no coincident node. The nodes have been identified in node set %S."},
    {-2530, "ErrNodeRefNodeRigSurf", 0, kNodeSet,
     "%I reference nodes are not allowed to be defined as nodes on the rigid surface. The nodes have been "
     "identified in node set %S."},
    {-2519, "WarnNodeResFileImpfr", -4, kNodeSet,
     "%I nodes were not located on the results file and will not be used to define the imperfection. The nodes "
     "have been identified in node set %S."},
    {-2516, "ErrNodeNoCoord", -2, kNodeSet,
     "%I nodes have no coordinates. The nodes have been identified in node set %S."},
    {-2510, "ErrNodeNoDefinNode", 0, kNoSet,
     "%I nodes have not been defined. Check input data for completeness. See .dat file for further details."},
    {-2509, "ErrNodeElbowMPC", -2, kNodeSet,
     "The ELBOW multi-point constraints of %I nodes are incorrect. The nodes have been identified in node set "
     "%S."},
    {-2508, "ErrNodeMultiPresMagMst", -2, kNodeSet,
     "More than one pressure magnitude has been specified for %I master nodes. The nodes have been identified "
     "in node set %S."},
    {-2507, "ErrNodeMultiPresMagSlv", -2, kNodeSet,
     "More than one pressure magnitude has been specified for %I slave nodes. The nodes have been identified "
     "in node set %S."},
    {-2506, "WarnNodeMPCQuadCurve", -1, kNodeSet,
     "Multi-point constraints of %I nodes on quadratic curves may be inaccurate. The nodes have been "
     "identified in node set %S."},
    {-2505, "ErrNodeSysErrERSECOUT", -2, kNodeSet,
     "A system error occurred in the section output of %I nodes. The nodes have been identified in node set %S."},
    {-2504, "ErrNodeSecNoConnNoDef", -2, kNodeSet,
     "%I nodes of sections are not connected to any element and have not been defined. The nodes have been "
     "identified in node set %S."},
    {-2503, "ErrNodeConflictICCont", 0, kNodeSet,
     "Conflicting initial contact conditions specified on %I nodes. This may be due to duplicate specification "
     "of slave, master or nsetname. The nodes have been identified in node set %S."},
    {-1109, "ErrNodeMissingThick", -2, kNodeSet,
     "Thickness is not defined on %I nodes. The nodes have been identified in node set %S."},
    {-1108, "ErrNodeNormal75Deg", -2, kNodeSet,
     "The normals at %I nodes differ by more than 75 degrees from the element normals. The nodes have been "
     "identified in node set %S."},
    {-1107, "WarnNodeNormal20Deg", -1, kNodeSet,
     "The normals at %I nodes differ by more than 20 degrees from the element normals. The nodes have been "
     "identified in node set %S."},
    {-1106, "ErrNodeRefInactive", -2, kNodeSet,
     "%I reference nodes are inactive. The nodes have been identified in node set %S."},
    {-1105, "WarnNodeAdjNormal3rdComp", -1, kNodeSet,
     "The third component of the normal has been adjusted at %I nodes. The nodes have been identified in node "
     "set %S."},
    {-1104, "ErrNodeSyssl_rigid_surf_b", -2, kNodeSet,
     "A system error occurred in the rigid surfaces of slide lines at %I nodes. The nodes have been identified "
     "in node set %S."},
    {-1103, "ErrNodeTempInactive", -2, kNodeSet,
     "Temperatures are specified on %I nodes that are inactive. The nodes have been identified in node set %S."},
    {-1102, "ErrNodeFluidCavRefDef", -2, kNodeSet,
     "The fluid cavity reference node definitions of %I nodes are incorrect. The nodes have been identified in "
     "node set %S."},
    {-1100, "WarnNodeMissingElem", -1, kNoSet,
     "%I nodes are not part of any element. The nodes may have been deleted because they were not connected to "
     "any elements."},
    {-1099, "ErrNodeSysslide_surf_pore_dof", -2, kNodeSet,
     "A system error occurred in the pore pressure degrees of freedom of sliding surfaces at %I nodes. The "
     "nodes have been identified in node set %S."},
    {-1098, "WarnNodePerturbConcLoad", -1, kNodeSet,
     "Concentrated loads in a perturbation step have been specified on %I nodes. The nodes have been "
     "identified in node set %S."},
    {-1097, "WarnNodeMissing", -1, kNoSet,
     "%I nodes are missing. They may have been defined but were removed as they are not connected to any "
     "element."},
    {-1096, "ErrNodeRedundantElemShare", -2, kNodeSet,
     "%I nodes are shared by more than one redundant element. The nodes have been identified in node set %S."},
    {-1095, "ErrNodeBCInactive", -2, kNoSet,
     "Boundary conditions are specified on %I nodes that are not active in this. model. The nodes may have "
     "been deleted because they were not connected to any elements."},
    {-1094, "WarnNodeBCInactiveDof", -1, kNoSet,
     "Boundary conditions are specified on %I nodes that are not active in this model. The nodes may have been "
     "deleted because they were not connected to any elements."},
    {-1093, "ErrNodeMultiPretenSecDef", -2, kNodeSet,
     "%I nodes belong to more than one pre-tension section. The nodes have been identified in node set %S."},
    {-1092, "ErrNodeInactiveMassDef", -2, kNodeSet,
     "Mass is specified on %I nodes that are inactive. The nodes have been identified in node set %S."},
    {-1091, "ErrNodeIncorrectStructAcc", -2, kNodeSet,
     "The structural acceleration definitions of %I nodes are incorrect. The nodes have been identified in "
     "node set %S."},
    {-1090, "ErrNodeIncorrectTangentMass", -2, kNodeSet,
     "The tangent mass definitions of %I nodes are incorrect. The nodes have been identified in node set %S."},
    {-1089, "ErrNodeInactiveLoadDef", -2, kNoSet,
     "Concentrated load is specified on %I nodes that are not active. Check loading definitions in the model. "
     "The nodes may have been deleted because they were not connected to any elements."},
    {-1088, "ErrNodeMissingDofConstrDef", -2, kNodeSet,
     "Degrees of freedom are missing from the constraint definitions of %I nodes. The nodes have been "
     "identified in node set %S."},
    {-1087, "ErrNodeSysmrcontactporedofjnl", -2, kNodeSet,
     "A system error occurred in the pore pressure degrees of freedom of contact on joints at %I nodes. The "
     "nodes have been identified in node set %S."},
    {-1086, "ErrNodeSysmrcontactporedof", -2, kNodeSet,
     "A system error occurred in the pore pressure degrees of freedom of contact at %I nodes. The nodes have "
     "been identified in node set %S."},
    {-1085, "ErrNodeGasketElemMPC", -2, kNodeSet,
     "Multi-point constraints have been specified at %I gasket element nodes. The nodes have been identified "
     "in node set %S."},
    {-1084, "ErrNodeTransPretenSec", -2, kNodeSet,
     "Transformations have been specified at %I nodes of pre-tension sections. The nodes have been identified "
     "in node set %S."},
    {-1083, "ErrNodeSubmodelPretenSec", -2, kNodeSet,
     "Submodel boundary conditions have been specified at %I nodes of pre-tension sections. The nodes have "
     "been identified in node set %S."},
    {-1082, "ErrNodeMPCPretenSec", -2, kNodeSet,
     "Multi-point constraints have been specified at %I nodes of pre-tension sections. The nodes have been "
     "identified in node set %S."},
    {-1081, "ErrNodeGasketElemDof", -2, kNodeSet,
     "The degrees of freedom of %I gasket element nodes are incorrect. The nodes have been identified in node "
     "set %S."},
    {-1080, "ErrNodeBCInactiveDof", -2, kNodeSet,
     "Boundary conditions are specified on inactive degrees of freedom of %I nodes. The nodes have been "
     "identified in node set %S."},
    {-1079, "WarnNodeTempFieldRedundantDef", -1, kNodeSet,
     "%I nodes have redundant temperature field definitions. The last definition will be used. The nodes have "
     "been identified in node set %S."},
    {-1078, "ErrNodeDistCoupMissingElem", -2, kNodeSet,
     "The elements of %I distributing couplings are missing. The nodes have been identified in node set %S."},
    {-1077, "WarnNodeBCInactiveDof", -1, kNodeSet,
     "Boundary conditions are specified on inactive dof of %I nodes. The nodes have been identified in node "
     "set %S."},
    {-1076, "ErrNodeSpMatConstrDof", -2, kNodeSet,
     "Degrees of freedom constrained by special-purpose material definitions have been specified at %I nodes. "
     "The nodes have been identified in node set %S."},
    {-1075, "ErrNodeRegRedundantDof", -2, kNodeSet,
     "Redundant degrees of freedom have been specified at %I nodes of regions. The nodes have been identified "
     "in node set %S."},
    {-1074, "ErrNodeSLMissingElemDef", -2, kNodeSet,
     "The slide line definitions of %I nodes refer to missing elements. The nodes have been identified in node "
     "set %S."},
    {-1073, "ErrNodeDrivDistrCoupDef", -2, kNodeSet,
     "The distributing coupling definitions of %I driven nodes are incorrect. The nodes have been identified "
     "in node set %S."},
    {-1072, "WarnNodeIncorrKineCoupDef", -1, kNodeSet,
     "The kinematic coupling definitions of %I nodes are incorrect. They will be ignored. The nodes have been "
     "identified in node set %S."},
    {-1071, "ErrNodeMissingKineCoupDef", -2, kNodeSet,
     "The kinematic coupling definitions of %I nodes are missing. The nodes have been identified in node set "
     "%S."},
    {-1070, "ErrNodeIncorrectKineCoupRef", -2, kNodeSet,
     "The reference nodes of %I kinematic couplings are incorrect. The nodes have been identified in node set "
     "%S."},
    {-1069, "ErrNodeMissingKineCoup", -2, kNodeSet,
     "The kinematic couplings of %I nodes are missing. The nodes have been identified in node set %S."},
    {-1068, "ErrNodeMissingKineCoupRef", -2, kNodeSet,
     "The reference nodes of %I kinematic couplings are missing. The nodes have been identified in node set %S."},
    {-1067, "ErrNodeInactiveFluidPressDef", -2, kNodeSet,
     "Fluid pressure is specified on %I nodes that are inactive. The nodes have been identified in node set %S."},
    {-1066, "ErrNodeFluidPressMissMaster", -2, kNodeSet,
     "The master nodes of %I fluid pressure definitions are missing. The nodes have been identified in node "
     "set %S."},
    {-1065, "ErrNodeFluidPressMissingSlave", -2, kNodeSet,
     "The slave nodes of %I fluid pressure definitions are missing. The nodes have been identified in node set "
     "%S."},
    {-1064, "WarnNodeWeightsSumToNegative", -1, kNodeSet,
     "The weights of %I nodes sum to a negative value. The nodes have been identified in node set %S."},
    {-1063, "ErrNodePretensionIncorrectDef", -2, kNodeSet,
     "The pre-tension definitions of %I nodes are incorrect. The nodes have been identified in node set %S."},
    {-1062, "ErrNodeIncorrectEqDef", -2, kNodeSet,
     "The linear constraint equations of %I nodes are incorrect. The nodes have been identified in node set %S."},
    {-1061, "ErrNodeIncorrectMPCDef", -2, kNodeSet,
     "The multi-point constraint definitions of %I nodes are incorrect. The nodes have been identified in node "
     "set %S."},
    {-1060, "ErrNodeSysEFindactivenodes", -2, kNodeSet,
     "A system error occurred while the active nodes were found; %I nodes are concerned. The nodes have been "
     "identified in node set %S."},
    {-1058, "WarnNodeBCIncorrectDof", -1, kNodeSet,
     "Boundary conditions are specified on incorrect degrees of freedom of %I nodes. They will be ignored. The "
     "nodes have been identified in node set %S."},
    {-1057, "ErrNodeBCIncorrectDof", -2, kNodeSet,
     "Boundary conditions are specified on incorrect degrees of freedom of %I nodes. The nodes have been "
     "identified in node set %S."},
    {-1056, "ErrNodeBCRedundantDof", -2, kNodeSet,
     "Boundary conditions are specified more than once on the same degrees of freedom of %I nodes. The nodes "
     "have been identified in node set %S."},
    {-1055, "WarnNodeLoadBCInactiveDof", -1, kNodeSet,
     "Loads or boundary conditions are specified on inactive degrees of freedom of %I nodes. They will be "
     "ignored. The nodes have been identified in node set %S."},
    {-1054, "ErrNodeWeightsSumToZero", -2, kNodeSet,
     "The weights of %I nodes sum to zero. The nodes have been identified in node set %S."},
    {-1053, "ErrNodeRedundantDof", -2, kNodeSet,
     "Redundant degrees of freedom have been specified at %I nodes. The nodes have been identified in node set "
     "%S."},
    {-1052, "ErrNodeDrivenMissing", -2, kNodeSet,
     "%I driven nodes are missing. The nodes have been identified in node set %S."},
    {-1051, "WarnNodeInactiveDriven", -1, kNodeSet,
     "%I driven nodes are inactive. The nodes have been identified in node set %S."},
    {-1050, "ErrNodeSubModelMissingData", -2, kNodeSet,
     "Submodel data are missing for %I nodes. The nodes have been identified in node set %S."},
    {-1049, "ErrNodeMissingPhaseAngle", -2, kNodeSet,
     "The phase angles given at %I nodes are missing. The nodes have been identified in node set %S."},
    {-1048, "ErrNodeMissingAmplitude", -2, kNodeSet,
     "The amplitudes given at %I nodes are missing. The nodes have been identified in node set %S."},
    {-1047, "ErrNodeRedundantShare", -2, kNodeSet,
     "%I nodes are shared by more than one redundant definition. The nodes have been identified in node set %S."},
    {-1045, "ErrNodeInvalidSurf", -2, kNodeSet,
     "%I nodes refer to an invalid surface. The nodes have been identified in node set %S."},
    {-1044, "WarnNodeNormalDef", -1, kNodeSet,
     "The normal definitions of %I nodes are incorrect. Default normals will be used. The nodes have been "
     "identified in node set %S."},
    {-1043, "ErrNodeDrivenIncorrectDef", -2, kNodeSet,
     "The definitions of %I driven nodes are incorrect. The nodes have been identified in node set %S."},
    {-1042, "WarnNodeRetainedNoActiveDof", -1, kNodeSet,
     "%I retained nodes have no active degrees of freedom. They will be ignored. The nodes have been "
     "identified in node set %S."},
    {-1041, "ErrNodeRetainedNoActiveDof", -2, kNodeSet,
     "%I retained nodes have no active degrees of freedom. The nodes have been identified in node set %S."},
    {-1040, "ErrNodeIncorrectPropData", -2, kNodeSet,
     "The property data given at %I nodes are incorrect. The nodes have been identified in node set %S."},
    {-1039, "WarnNodeRedundNormal", -1, kNodeSet,
     "%I nodes have redundant normal definitions. The last definition will be used. The nodes have been "
     "identified in node set %S."},
    {-1038, "ErrNodeDrivenMissingFixRef", -2, kNodeSet,
     "The fixed reference nodes of %I driven nodes are missing. The nodes have been identified in node set %S."},
    {-1037, "ErrNodeMissingInterpol", -2, kNodeSet,
     "Interpolation data are missing for %I nodes. The nodes have been identified in node set %S."},
    {-1036, "ErrNodeInitRelativeDensDef", -2, kNodeSet,
     "The initial relative density definitions of %I nodes are incorrect. The nodes have been identified in "
     "node set %S."},
    {-1035, "WarnNodeICDef", -1, kNodeSet,
     "The initial conditions of %I nodes are incorrect. They will be ignored. The nodes have been identified "
     "in node set %S."},
    {-1034, "ErrNodeImportTempFieldDef", -2, kNodeSet,
     "The imported temperature field definitions of %I nodes are incorrect. The nodes have been identified in "
     "node set %S."},
    {-1033, "ErrNodeRedundCoordTransDef", -2, kNodeSet,
     "%I nodes have more than one coordinate transformation definition. The nodes have been identified in node "
     "set %S."},
    {-1032, "WarnNodeInactive", -1, kNoSet,
     "Nodal thicknesses are specified on %I nodes that are inactive. The nodes may have been deleted because "
     "they were not connected to any elements."},
    {-1031, "ErrNodeNormalDef", -2, kNodeSet,
     "The normal definitions of %I nodes are incorrect. The nodes have been identified in node set %S."},
    {-1030, "WarnNodeIncorrectTransDef", -1, kNodeSet,
     "The transformation definitions of %I nodes are incorrect. The nodes have been identified in node set %S."},
    {-1029, "WarnNodeMissingFlawDepth", -1, kNodeSet,
     "The flaw depth is missing at %I nodes. The nodes have been identified in node set %S."},
    {-1028, "ErrNodeMissingSectThick", -2, kNodeSet,
     "The section thickness is missing at %I nodes. The nodes have been identified in node set %S."},
    {-1027, "WarnNodeDrivenConvProb", -1, kNodeSet,
     "The driven nodes of %I constraints may cause convergence problems. The nodes have been identified in "
     "node set %S."},
    {-1026, "ErrNodeImportRedef", -2, kNodeSet,
     "%I imported nodes have been redefined. The nodes have been identified in node set %S."},
    {-1025, "WarnNodeIncorrectDef", -1, kNodeSet,
     "The definitions of %I nodes are incorrect. The nodes have been identified in node set %S."},
    {-1024, "WarnNodeIncorrectDof", -1, kNodeSet,
     "Incorrect degrees of freedom have been specified at %I nodes. They will be ignored. The nodes have been "
     "identified in node set %S."},
    {-1023, "ErrNodeIncorrectDof", -2, kNodeSet,
     "Incorrect degrees of freedom have been specified at %I nodes. The nodes have been identified in node set "
     "%S."},
    {-1021, "ErrNodeInactivePropConstrDef", -2, kNodeSet,
     "Property/constraint definitions have been specified for %I nodes that are inactive. See the data file "
     "for more information"},
    {-1020, "WarnNodeIncorrectConstrDef", -1, kNodeSet,
     "The constraint definitions of %I nodes are incorrect. The nodes have been identified in node set %S."},
    {-1019, "ErrNodeIncorrectWeights", -2, kNodeSet,
     "Incorrect weights have been assigned for %I nodes. The nodes have been identified in node set %S."},
    {-1018, "WarnNodeNonPositiveDistCoupWt", -1, kNodeSet,
     "The distributing coupling weights of %I nodes are not positive. The nodes have been identified in node "
     "set %S."},
    {-1017, "WarnNodeFailConstrSort", -1, kNodeSet,
     "The constraints of %I nodes could not be sorted. The nodes have been identified in node set %S."},
    {-1016, "ErrNodeRefNegativeFluidCavVol", -2, kNodeSet,
     "The reference nodes of %I fluid cavities have a negative cavity volume. The nodes have been identified "
     "in node set %S."},
    {-1015, "WarnNodeImportRedefModelC", -1, kNodeSet,
     "%I imported nodes have been redefined in the current model. The nodes have been identified in node set "
     "%S."},
    {-1014, "WarnNodeIncorrectNormal", -1, kNodeSet,
     "The normals given at %I nodes are incorrect. Default normals will be used. The nodes have been "
     "identified in node set %S."},
    {-1013, "ErrNodeIncorrectTangent", -2, kNodeSet,
     "The tangents given at %I nodes are incorrect. The nodes have been identified in node set %S."},
    {-1011, "WarnNodeAdjust", -1, kNodeSet,
     "The positions of %I slave nodes have been adjusted to remove overclosure. The nodes have been identified "
     "in node set %S."},
    {-1010, "ErrNodeMissingMaster", -2, kNodeSet,
     "The master surface of %I nodes is missing. The nodes have been identified in node set %S."},
    {-1009, "WarnNodeOverclose", -1, kNodeSet,
     "%I slave nodes are overclosed. The nodes have been identified in node set %S."},
    {-1008, "ErrNodeNoSlaveStatus", -2, kNodeSet,
     "No slave status could be found for %I nodes. The nodes have been identified in node set %S."},
    {-1007, "WarnNodeMissMasterIntersect", -1, kNodeSet,
     "%I slave nodes do not intersect the master surface. The nodes have been identified in node set %S."},
    {-1006, "WarnNodeMissingCoords", -1, kNodeSet,
     "%I nodes are missing coordinates. Zero coordinates will be used. The nodes have been identified in node "
     "set %S."},
    {-1005, "WarnNodeRigidRedundantDef", -1, kNodeSet,
     "%I nodes belong to more than one rigid body. The last definition will be used. The nodes have been "
     "identified in node set %S."},
    {-1004, "ErrNodeIncorrectNormal", -2, kNodeSet,
     "The normals given at %I nodes are incorrect. The nodes have been identified in node set %S."},
    {-1003, "ErrNodeRedundantDef", -2, kNodeSet,
     "%I nodes have been defined more than once. The nodes have been identified in node set %S."},
    {-1002, "ErrNodeMissing", -2, kNodeSet,
     "%I nodes are missing definitions. The nodes have been identified in node set %S."},
    {-1001, "ErrNodeMissingCoords", -2, kNodeSet,
     "%I nodes are missing coordinates. The nodes have been identified in node set %S."},
};
static_assert(sortedByKey(kPreRows));

// Checks shared by the pre-processor and the solvers.
constexpr Row kShrRows[] = {
    {-3014, "ErrNodeRefCavityNode", 0, kNodeSet,
     "%I reference cavity nodes may only be used as reference nodes for other fluid cavities. Their only "
     "active degree of freedom must be fluid pressure. The nodes have been identified in node set %S."},
    {-3006, "ErrNodeNoSlaveNode", -2, kNodeSet,
     "%I slave nodes could not be found. The nodes have been identified in node set %S."},
    {-3005, "ErrNodeTempPorePres", -2, kNodeSet,
     "Temperature or pore pressure degree of freedom not defined at %I nodes. The nodes have been identified "
     "in node set %S."},
    {-3003, "ErrNodeRadCurCoord", -2, kNodeSet,
     "%I nodes have negative radial coordinate values. Negative values are illegal for axisymetric elements. "
     "The nodes have been identified in node set %S."},
    {-3002, "WarnNodeRadCurCoord_Import", -1, kNodeSet,
     "%I nodes on imported axisymmetric elements have negative radial current coordinate values. These values "
     "are assumed small enough to be taken as zero. The nodes have been identified in node set %S."},
    {-3001, "WarnNodeRadCurCoord", -1, kNodeSet,
     "%I nodes on reactivated axisymmetric elements have negative radial current coordinate values. These "
     "values are assumed small enough to be taken as zero. The nodes have been identified in node set %S."},
};
static_assert(sortedByKey(kShrRows));

// The implicit solver; labels get the step and increment appended.
constexpr Row kStdRows[] = {
    {-3097, "WarnNodeAdaptMeshCornerSurf", -1, kNodeSet,
     "%I nodes in the adaptive mesh domain changed status from CORNER to SURFACE during mesh smoohting.The "
     "nodes have been identified in node set %S."},
    {-3096, "WarnNodeAdaptMeshCornerEdge", -1, kNodeSet,
     "%I nodes in the adaptive mesh domain changed status from CORNER to EDGE. The nodes have been identified "
     "in node set %S."},
    {-3095, "WarnNodeAdaptMeshEdgeCorner", -1, kNodeSet,
     "%I nodes in the adaptive mesh domain changed status from EDGE to CORNER. The nodes have been identified "
     "in node set %S."},
    {-3094, "WarnNodeAdaptMeshEdgeSurf", -1, kNodeSet,
     "%I nodes in the adaptive mesh domain changed status from EDGE to SURFACE. The nodes have been identified "
     "in node set %S."},
    {-3093, "WarnNodeAdaptMeshSurfCorner", -1, kNodeSet,
     "%I nodes in the adaptive mesh domain changed status from SURFACE to CORNER. The nodes have been "
     "identified in node set %S."},
    {-3092, "WarnNodeAdaptMeshSurfEdge", -1, kNodeSet,
     "%I nodes in the adaptive mesh domain changed status from SURFACE to EDGE. The nodes have been identified "
     "in node set %S."},
    {-3091, "WarnNodeOverconZeroPivot", -1, kNodeSet,
     "%I nodes are overconstrained, which leads to a zero pivot. The nodes have been identified in node set %S."},
    {-3090, "ErrNodeOverconContactBCFR", -2, kNodeSet,
     "%I slave nodes in contact with friction are overconstrained by boundary conditions. The nodes have been "
     "identified in node set %S."},
    {-3089, "WarnNodeOverconContactBCLFNC", -1, kNodeSet,
     "%I slave nodes not in contact have boundary conditions in the direction of the Lagrange friction. The "
     "nodes have been identified in node set %S."},
    {-3088, "WarnNodeOverconContactBCLF", -1, kNodeSet,
     "%I slave nodes in contact have boundary conditions in the direction of the Lagrange friction. The nodes "
     "have been identified in node set %S."},
    {-3087, "WarnNodeOverconContactBC4", -1, kNodeSet,
     "%I slave nodes in contact have boundary conditions in more than one direction. The nodes have been "
     "identified in node set %S."},
    {-3086, "ErrNodeOverconContactBC3", -2, kNodeSet,
     "%I slave nodes in contact are overconstrained by boundary conditions in all directions. The nodes have "
     "been identified in node set %S."},
    {-3085, "WarnNodeOverconContactBC2", -1, kNodeSet,
     "%I slave nodes in contact have boundary conditions in a tangential direction. The nodes have been "
     "identified in node set %S."},
    {-3084, "WarnNodeOverconContactBCNC1", -1, kNodeSet,
     "%I slave nodes not in contact have boundary conditions in the contact direction. The nodes have been "
     "identified in node set %S."},
    {-3083, "WarnNodeOverconContactBC1", -1, kNodeSet,
     "%I slave nodes in contact have boundary conditions in the contact direction. The nodes have been "
     "identified in node set %S."},
    {-3082, "ErrNodeOverconContactRotBC", -2, kNodeSet,
     "%I slave nodes in contact are overconstrained by rotational boundary conditions. The nodes have been "
     "identified in node set %S."},
    {-3019, "WarnNodeRefNoReposDistort", -1, kNodeSet,
     "%I reference nodes cannot be repositioned because their elements are distorted. The nodes have been "
     "identified in node set %S."},
    {-3018, "WarnNodeRefNoReposZeroMass", -1, kNodeSet,
     "%I reference nodes cannot be repositioned because their mass is zero. The nodes have been identified in "
     "node set %S."},
    {-3017, "WarnNodeBezShortPerpDist", -1, kNodeSet,
     "Fine search over the Bezier surface failed to yield the shortest perpendicular distance for %I slave "
     "nodes. The distances are computed by assuming faceted surface instead. The nodes have been identified in "
     "node set %S."},
    {-3016, "InfoNodeNumCanGT24", 1, kNodeSet,
     "Number of candidates in SEARCH is greater than 24 for %I nodes on the Bezier surface. The nodes have "
     "been identified in node set %S."},
    {-3015, "InfoNodeNumCanLE24", -1, kNodeSet,
     "Number of candidates in SEARCH is less than or equal to 24 for %I nodes on the Bezier surface. The nodes "
     "have been identified in node set %S."},
    {-3013, "WarnNodeNormalSlvNode", -1, kNodeSet,
     "The normal at %I slave nodes cannot be calculated. The nodes have been identified in node set %S."},
    {-3012, "WarnNodeSlideBeyondMaxDist", -1, kNodeSet,
     "%I slave nodes have slid beyond the maximum slide distance--cutback will result. The nodes have been "
     "identified in node set %S."},
    {-3011, "WarnNodeDistCrackTip", -1, kNodeSet,
     "The current distances of %I crack tip nodes are less than the first crack length entered on the "
     "*FRACTURE CRITERION option. The crack tip nodes will not debond since VELTRO will not extrapolate beyond "
     "user specified data. Check input data. The nodes have been identified in node set %S."},
    {-3010, "WarnNodeTempBelowZero", -1, kNodeSet,
     "The temperature at %I nodes is below absolute zero. The nodes have been identified in node set %S."},
    {-3009, "WarnNodeCrackPropBeginInc", -1, kNodeSet,
     "Crack propagation begins at %I nodes at the start of the increment. The nodes have been identified in "
     "node set %S."},
    {-3008, "ErrNodeCrackTipNodeD", -2, kNodeSet,
     "%I crack tip nodes are already debonded. The nodes have been identified in node set %S."},
    {-3007, "ErrNodeCrackTipNodeND", -2, kNodeSet,
     "%I crack tip nodes are not defined. The nodes have been identified in node set %S."},
    {-3004, "WarnNodePneuNegPress", 1, kNodeSet,
     "The absolute pressure in one or more cavities filled with a pneumatic fluid is negative.  The associated "
     "cavity reference nodes have been identified in node set %S."},
};
static_assert(sortedByKey(kStdRows));

}  // namespace

bool NodeBasedMessagesInPre(int key, cow_String& label, cow_String& text, int& severity, int& setType) {
  return zmx::catalogue::lookUp(kPreRows, key, label, text, severity, setType);
}

bool NodeBasedMessagesInShr(int key, cow_String& label, cow_String& text, int& severity, int& setType) {
  return zmx::catalogue::lookUp(kShrRows, key, label, text, severity, setType);
}

bool NodeBasedMessagesInStd(int key, cow_String& label, cow_String& text, int& severity, int& setType, int step,
                            int increment) {
  return zmx::catalogue::lookUpPerIncrement(kStdRows, key, label, text, severity, setType, step, increment);
}
