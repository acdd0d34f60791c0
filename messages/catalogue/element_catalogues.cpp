// The element message catalogues: the checks of the pre-processor, the element checks shared
// with the solvers (geometry, distortion, orientation), and the implicit solver's material and
// element behaviour during the increments. Severity follows the label's prefix (Err -2, Warn -1,
// Info 1) and the set is an element set, except where a row says otherwise.

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
    {-2597, "ErrElemAnisotropicMaterial", -2, kElementSet,
     "%I elements use an anisotropic material that is not supported for their element type. The elements have "
     "been identified in element set %S."},
    {-2596, "ErrElemFoundations", -2, kElementSet,
     "The foundation definitions of %I elements are incorrect. The elements have been identified in element "
     "set %S."},
    {-2595, "ErrElemCylAxisOfRevolution", -2, kElementSet,
     "The axis of revolution of %I cylindrical elements is incorrect. The elements have been identified in "
     "element set %S."},
    {-2594, "WarnElemAcousticOrientation", -1, kElementSet,
     "*ORIENTATION has been defined for %I acoustic elements. An orientation definition is not meaningful for "
     "these elements, and will be ignored. The elements have been identified in element set %S."},
    {-2593, "ErrElemReactivWithStrain", -2, kElementSet,
     "%I elements are reactivated with strain. The elements have been identified in element set %S."},
    {-2592, "WarnElemBeamFluidInertia", -1, kElementSet,
     "Fluid inertia has been specified for %I beam elements. The elements have been identified in element set "
     "%S."},
    {-2591, "WarnElemBeamAddedInertia", -1, kElementSet,
     "Added inertia has been specified for %I beam elements. The elements have been identified in element set "
     "%S."},
    {-2575, "WarnElemOverconConnElim", -1, kElementSet,
     "%I connector elements overconstrain the model; the redundant constraints will be eliminated. The "
     "elements have been identified in element set %S."},
    {-2574, "ErrElemOverconConnElim", -2, kElementSet,
     "%I connector elements overconstrain the model; the constraint cannot be eliminated. The elements have "
     "been identified in element set %S."},
    {-2571, "WarnElemRedundantRefNode", -1, kElementSet,
     "%I elements have redundant reference nodes. The first reference node will be used. The elements have "
     "been identified in element set %S."},
    {-2568, "WarnElemOverconConnRB", -1, kElementSet,
     "%I connector elements may overconstrain a rigid body. The elements have been identified in element set "
     "%S."},
    {-2567, "ErrElemOverconConnRB", -2, kElementSet,
     "%I connector elements overconstrain a rigid body. The elements have been identified in element set %S."},
    {-2555, "WarnElemRedundantSection_Import", -1, kElementSet,
     "%I imported elements have been defined with multiple property definitions. The last property definition "
     "encountered will be used. The elements have been identified in element set %S."},
    {-2554, "ErrElemCLInactive", 0, kElementSet,
     "Connector load has been specified on %I elements, but these elements have not been defined. The elements "
     "have been identified in element set %S."},
    {-2553, "ErrElemCMInactive", 0, kElementSet,
     "Connector motion has been specified on %I elements, but these elements have not been defined. The "
     "elements have been identified in element set %S."},
    {-2552, "WarnConToGround", -1, kElementSet,
     "%I elements are connector elements that are connected to ground. The elements are identified in element "
     "set %S."},
    {-2551, "ErrElemBadInitCond", -2, kElementSet,
     "The initial conditions of %I elements are incorrect. The elements have been identified in element set %S."},
    {-2547, "ErrElemRedundantSect", -2, kElementSet,
     "%I elements have redundant section definitions. The elements have been identified in element set %S."},
    {-2545, "WarnElemTargetCreepStrn", -1, kElementSet,
     "The target creep strain rate cannot be reached for %I elements. The elements have been identified in "
     "element set %S."},
    {-2544, "ErrElemNoSeabedMorison", -2, kElementSet,
     "%I elements carry Morison loads, but no seabed has been defined. The elements have been identified in "
     "element set %S."},
    {-2543, "ErrElemInsuffDataSDV", -2, kElementSet,
     "Not enough data has been given for the initial solution-dependent state variables of %I elements. The "
     "elements have been identified in element set %S."},
    {-2542, "ErrElemInitSDVImpElem", -2, kElementSet,
     "Initial solution-dependent state variables have been specified for %I imported elements. The elements "
     "have been identified in element set %S."},
    {-2541, "ErrElemICNoElem", 0, kElementSet,
     "Initial conditions have been specified on %I elements, but these elements have not been defined. The "
     "elements have been identified in element set %S."},
    {-2539, "WarnElemNodalThickNegZero", -1, kElementSet,
     "The nodal thickness of %I elements is negative or zero. The section thickness will be used. The elements "
     "have been identified in element set %S."},
    {-2538, "ErrElemThickNegZero", -2, kElementSet,
     "The thickness of %I elements is negative or zero. The elements have been identified in element set %S."},
    {-2537, "ErrElemInitGapInitVoid", -2, kElementSet,
     "Both an initial gap and an initial void have been specified for %I elements. The elements have been "
     "identified in element set %S."},
    {-2536, "ErrElemAngleThickGasket", -2, kElementSet,
     "The angle or thickness of %I gasket elements is incorrect. The elements have been identified in element "
     "set %S."},
    {-2535, "ErrElemSpudCanNoInitEmbed", -2, kElementSet,
     "No initial embedment has been specified for %I spud can elements. The elements have been identified in "
     "element set %S."},
    {-2534, "ErrElemSpudCanInitEmbed", -2, kElementSet,
     "Initial embedment has been specified for %I spud can elements that cannot use it. The elements have been "
     "identified in element set %S."},
    {-2533, "ErrElemSpudCanPreload", -2, kElementSet,
     "Preload has been specified for %I spud can elements. The elements have been identified in element set %S."},
    {-2532, "ErrElemDegenerateGasket", -2, kElementSet,
     "%I gasket elements are degenerate. The elements have been identified in element set %S."},
    {-2531, "ErrElemNormalGasket", -2, kElementSet,
     "The normal of %I gasket elements is incorrect. The elements have been identified in element set %S."},
    {-2529, "ErrElemFaceSurfOverlap", -2, kElementSet,
     "The faces of %I elements overlap surfaces already defined. The elements have been identified in element "
     "set %S."},
    {-2528, "ErrElemMemRebar", -2, kElementSet,
     "%I elements are MEMBRANE elements, but were not specified under *REBAR as ELEMENT=MEMBRANE. The elements "
     "have been identified in element set %S."},
    {-2527, "ErrElemAxiMemRebar", -2, kElementSet,
     "%I elements are axisymmetric MEMBRANE elements, but were not specified under *REBAR as "
     "ELEMENT=AXIMEMBRANE. The elements have been identified in element set %S."},
    {-2526, "ErrElemNoIsoRebar", -2, kElementSet,
     "Isoparametric rebar has been specified for %I elements that do not support it. The elements have been "
     "identified in element set %S."},
    {-2525, "ErrElem2DIsoRebar", -2, kElementSet,
     "%I two-dimensional elements have isoparametric rebar that is not supported for them. The elements have "
     "been identified in element set %S."},
    {-2524, "ErrElemContRebar", -2, kElementSet,
     "%I elements are continuum elements and cannot carry *REBAR as specified. The elements have been "
     "identified in element set %S."},
    {-2523, "ErrElemShellRebar", -2, kElementSet,
     "%I elements are SHELL elements, but were not specified under *REBAR as ELEMENT=SHELL or "
     "ELEMENT=AXISHELL. The elements have been identified in element set %S."},
    {-2522, "ErrElemAxiShellRebar", -2, kElementSet,
     "%I elements are axisymmetric SHELL elements, but were not specified under *REBAR as ELEMENT=AXISHELL. "
     "The elements have been identified in element set %S."},
    {-2521, "ErrElemRebarSameName", -2, kElementSet,
     "%I elements have more than one rebar of the same name. The elements have been identified in element set "
     "%S."},
    {-2520, "ErrElemBeamRebar", -2, kElementSet,
     "%I elements are BEAM elements and cannot carry rebar. The elements have been identified in element set "
     "%S."},
    {-2518, "ErrElemDloadNoElem", 0, kElementSet,
     "Distributed loads have been specified on %I elements, but these elements have not been defined. The "
     "elements have been identified in element set %S."},
    {-2515, "ErrElemRefAdaptiveMesh", -2, kElementSet,
     "%I elements refer to an adaptive mesh that cannot be used with them. The elements have been identified "
     "in element set %S."},
    {-2513, "ErrElemNoCollapseFace", -2, kElementSet,
     "%I elements have no face that can be collapsed. The elements have been identified in element set %S."},
    {-2512, "ErrElemNoCollapseSide", -2, kElementSet,
     "%I elements have no side that can be collapsed. The elements have been identified in element set %S."},
    {-2511, "WarnElemClassUnknown", -1, kElementSet,
     "%I elements belong to an element class that is not known. The elements have been identified in element "
     "set %S."},
    {-1012, "WarnNodeSuperIncorrectCoords", -1, kNodeSet,
     "The coordinates due to *substructure  property are outside specified tolerances for %I nodes. The nodes "
     "have been identified in node set %S."},
    {-125, "WarnElemGasketNormalMismatch", -1, kElementSet,
     "The normal of %I gasket elements does not match the normal of the adjoining elements. The elements have "
     "been identified in element set %S."},
    {-124, "ErrElemTooManyDataItems", -2, kNoSet,
     "%I elements with improperly defined connectivities. More than 15 node numbers were entered per data line "
     "for some elements in the model. Check the .dat file for further details."},
    {-123, "WarnElemGasketNormalDef", -1, kElementSet,
     "The normal definition of %I gasket elements is incorrect. The elements have been identified in element "
     "set %S."},
    {-122, "ErrElemPretenSecDef", -2, kElementSet,
     "The pre-tension section definition of %I elements is incorrect. The elements have been identified in "
     "element set %S."},
    {-121, "WarnElemGasket18MissNodes", -1, kElementSet,
     "%I gasket elements with 18 nodes are missing nodes. The elements have been identified in element set %S."},
    {-120, "WarnElemGasket18MissMidNodes", -1, kElementSet,
     "%I gasket elements with 18 nodes are missing midside nodes. The elements have been identified in element "
     "set %S."},
    {-119, "WarnElemShlDegen", -1, kElementSet,
     "%I shell elements are degenerate. The elements have been identified in element set %S."},
    {-118, "WarnElemShlNodeDef", -1, kElementSet,
     "The nodal definitions of %I shell elements are incomplete. The elements have been identified in element "
     "set %S."},
    {-117, "ErrElemImportStateUpdate", -2, kElementSet,
     "The state of %I imported elements cannot be updated. The elements have been identified in element set %S."},
    {-116, "ErrElemSurfSecLoc", -2, kElementSet,
     "The surface of the section of %I elements is not located correctly. The elements have been identified in "
     "element set %S."},
    {-115, "ErrElemPretenSecLoc", -2, kElementSet,
     "The pre-tension section of %I elements is not located correctly. The elements have been identified in "
     "element set %S."},
    {-114, "WarnElemSDV", -1, kElementSet,
     "The number of solution-dependent state variables of %I elements is not consistent with their material "
     "definition. The elements have been identified in element set %S."},
    {-113, "ErrElemMissingRigSurfDef", -2, kElementSet,
     "%I elements refer to a rigid surface that has not been defined. The elements have been identified in "
     "element set %S."},
    {-112, "ErrElemMissingSlideLineDef", -2, kElementSet,
     "%I elements refer to a slide line that has not been defined. The elements have been identified in "
     "element set %S."},
    {-111, "ErrElemInternNoSlLine", -2, kElementSet,
     "%I internal contact elements are not associated with any slide line. The elements have been identified "
     "in element set %S."},
    {-110, "ErrElemMissingContDir", -2, kElementSet,
     "The contact direction of %I elements is missing. The elements have been identified in element set %S."},
    {-109, "ErrElemBadMidsideNode", -2, kElementSet,
     "%I elements have a midside node that is badly placed. The elements have been identified in element set "
     "%S."},
    {-108, "WarnElemMissingElasticPropRef", -1, kElementSet,
     "%I elements have no elastic property reference. Default elastic properties will be used. The elements "
     "have been identified in element set %S."},
    {-107, "ErrElemMissingTransfFile", -2, kElementSet,
     "The transformation file is missing for %I elements. The elements have been identified in element set %S."},
    {-106, "ErrElemSysmrCavRadDOF", -2, kElementSet,
     "A system error occurred in the cavity radiation degrees of freedom of %I elements. The elements have "
     "been identified in element set %S."},
    {-105, "ErrElemImportMissTransfFile", -2, kElementSet,
     "The transformation file is missing for %I imported elements. The elements have been identified in "
     "element set %S."},
    {-104, "ErrElemImportPropDef", -2, kElementSet,
     "The property definitions of %I imported elements are incorrect. The elements have been identified in "
     "element set %S."},
    {-103, "ErrElemImportIncompat", -2, kElementSet,
     "%I imported elements are incompatible with their original element definitions. The elements have been "
     "identified in element set %S."},
    {-102, "ErrElemImportUnsup", -2, kElementSet,
     "Import is not supported for %I elements. The elements have been identified in element set %S."},
    {-101, "ErrElemGasketNormalCal", -2, kElementSet,
     "The gasket normal of %I elements cannot be calculated. The elements have been identified in element set "
     "%S."},
    {-100, "WarnElemSecPrnBothSideNodes", -1, kElementSet,
     "Section print has been requested for %I elements with nodes on both sides of the section. The elements "
     "have been identified in element set %S."},
    {-99, "ErrElemImportMultElSets", -2, kElementSet,
     "%I imported elements belong to more than one imported element set. The elements have been identified in "
     "element set %S."},
    {-98, "ErrElemRedundVarMassScale", -2, kElementSet,
     "Variable mass scaling has been specified more than once for %I elements. The elements have been "
     "identified in element set %S."},
    {-97, "ErrElemRedundFixMassScale", -2, kElementSet,
     "Fixed mass scaling has been specified more than once for %I elements. The elements have been identified "
     "in element set %S."},
    {-96, "ErrElemPorElNoInitVoidRatio", -2, kElementSet,
     "Porous elasticity has been specified for %I elements, but no initial void ratio has been given. The "
     "elements have been identified in element set %S."},
    {-95, "ErrElemPermNoInitVoidRatio", -2, kElementSet,
     "Permeability depends on void ratio for %I elements, but no initial void ratio has been given. The "
     "elements have been identified in element set %S."},
    {-94, "ErrElemRemeshIncompatType", -2, kElementSet,
     "%I elements have an element type that is incompatible with remeshing. The elements have been identified "
     "in element set %S."},
    {-93, "ErrElemSuperLoadCase", -2, kElementSet,
     "%I substructure elements refer to a load case that has not been defined. The elements have been "
     "identified in element set %S."},
    {-91, "ErrElemDiffOutPlaneDepth", -2, kElementSet,
     "%I elements have an out-of-plane depth different from the other elements of the model. The elements have "
     "been identified in element set %S."},
    {-90, "ErrElemFlRedundCavRefNode", -2, kElementSet,
     "%I fluid elements have redundant cavity reference nodes. The elements have been identified in element "
     "set %S."},
    {-89, "ErrElemIncorrContInteg", -2, kElementSet,
     "The contact integration of %I elements is incorrect. The elements have been identified in element set %S."},
    {-88, "ErrElemInterfaceNormalCal", -2, kElementSet,
     "The interface normal of %I elements cannot be calculated. The elements have been identified in element "
     "set %S."},
    {-87, "ErrElemINTER4DegenVertices", -2, kElementSet,
     "%I INTER4 elements have degenerate vertices. The elements have been identified in element set %S."},
    {-86, "WarnElemMissingdef", -1, kElementSet,
     "%I  elements can not be used to define the underlying surface in the current version. The elements are "
     "identified in element set %S."},
    {-85, "WarnElemMissingdef", -1, kNoSet,
     "%I underlying elements were used in surface definition but have not been defined. They will not be "
     "considered as a part of the surface definition."},
    {-84, "WarnElemCSAXASmallDisp", -1, kElementSet,
     "%I CSAXA elements are used in an analysis with small displacements. The elements have been identified in "
     "element set %S."},
    {-83, "ErrElemRemovalUnsup", -2, kElementSet,
     "Removal is not supported for %I elements. The elements have been identified in element set %S."},
    {-82, "ErrElemReactivUnsup", -2, kElementSet,
     "Reactivation is not supported for %I elements. The elements have been identified in element set %S."},
    {-81, "ErrElemContSurfIncorrLoadTyp", -2, kElementSet,
     "A load type that is not valid for a contact surface has been specified on %I elements. The elements have "
     "been identified in element set %S."},
    {-80, "ErrElemIncorrectGenDef", -2, kNoSet,
     "Node/Element numbers defined for %I elements must be positive integers. Check element definitions and "
     "the .dat file for details."},
    {-79, "ErrElemInvalidMasterDef", -2, kElementSet,
     "The master surface definition of %I elements is invalid. The elements have been identified in element "
     "set %S."},
    {-78, "ErrElemInvalidSurfDef", -2, kElementSet,
     "The surface definition of %I elements is invalid. The elements have been identified in element set %S."},
    {-77, "ErrNodeNonPositiveNum", -2, kElementSet,
     "%I elements refer to non-positive node numbers. The elements have been identified in element set %S."},
    {-76, "ErrElemNonPositiveNum", -2, kElementSet,
     "%I elements have been defined with a non-positive element number. The elements have been identified in "
     "element set %S."},
    {-75, "ErrElemRedundantRefNode", -2, kElementSet,
     "%I elements have redundant reference nodes. The elements have been identified in element set %S."},
    {-74, "ErrElemMissingNodes", -2, kElementSet,
     "%I elements refer to nodes that have not been defined. The elements have been identified in element set "
     "%S."},
    {-69, "ErrElemIncorrectIntegPoints", -2, kElementSet,
     "The number of integration points specified for %I elements is incorrect. The elements have been "
     "identified in element set %S."},
    {-68, "ErrElemNegativePEEQ", -2, kElementSet,
     "A negative initial equivalent plastic strain has been specified for %I elements. The elements have been "
     "identified in element set %S."},
    {-67, "WarnElemMissingRebar", -1, kElementSet,
     "Rebar has been specified for %I elements, but no rebar has been found in them. The elements have been "
     "identified in element set %S."},
    {-66, "ErrElemPEEQBackstrssDef", -2, kElementSet,
     "The equivalent plastic strain or backstress definition of %I elements is incorrect. The elements have "
     "been identified in element set %S."},
    {-65, "ErrElemGasketContactAreaOpt", -2, kElementSet,
     "The contact area option of the gasket behavior of %I elements is incorrect. The elements have been "
     "identified in element set %S."},
    {-64, "ErrElemGasketIncorrectParameter", -2, kElementSet,
     "The gasket behavior of %I elements has an incorrect parameter. The elements have been identified in "
     "element set %S."},
    {-63, "ErrElemRebarMaterialDef", -2, kElementSet,
     "The rebar material definition of %I elements is incorrect. The elements have been identified in element "
     "set %S."},
    {-62, "ErrElemInitStrNoElastPropRef", -2, kElementSet,
     "Initial stresses have been specified for %I elements whose material has no elastic property reference. "
     "The elements have been identified in element set %S."},
    {-61, "ErrElemElasticLaminaDef", -2, kElementSet,
     "The elastic lamina definition of %I elements is incomplete or incorrect. The elements have been "
     "identified in element set %S."},
    {-60, "ErrElemMaterialOrientation", -2, kElementSet,
     "The material orientation of %I elements is incorrect. The elements have been identified in element set "
     "%S."},
    {-59, "ErrElemIncorrectMaterialModel", -2, kElementSet,
     "%I elements use a material model that is not available for their element type. The elements have been "
     "identified in element set %S."},
    {-58, "ErrElemIncorrectPoissonRatio", -2, kElementSet,
     "The Poisson's ratio of the material of %I elements is out of range. The elements have been identified in "
     "element set %S."},
    {-56, "ErrElemIncorrectAxis", -2, kElementSet,
     "The axis specified for %I elements is incorrect. The elements have been identified in element set %S."},
    {-54, "WarnElemRedundantProp", -1, kElementSet,
     "%I elements have redundant property definitions. The last definition encountered will be used. The "
     "elements have been identified in element set %S."},
    {-53, "ErrElemInitStress", -2, kElementSet,
     "The initial stresses of %I elements are incorrect. The elements have been identified in element set %S."},
    {-52, "ErrElemMissingEmbed", -2, kElementSet,
     "%I elements have been specified as embedded elements, but no host elements have been found. The elements "
     "have been identified in element set %S."},
    {-51, "ErrElemMissingPlasticity", -2, kElementSet,
     "%I elements use a material whose plasticity definition is missing. The elements have been identified in "
     "element set %S."},
    {-49, "ErrElemEmbedPreload", -2, kElementSet,
     "Preload has been specified for %I embedded elements. The elements have been identified in element set %S."},
    {-48, "ErrElemIncorrectElasticModel", -2, kElementSet,
     "%I elements use an elastic model that is not available for their element type. The elements have been "
     "identified in element set %S."},
    {-47, "ErrElemGasketSDV", -2, kElementSet,
     "Solution-dependent state variables have been specified for %I gasket elements that cannot use them. The "
     "elements have been identified in element set %S."},
    {-46, "ErrElemMissingSurfDef", -2, kElementSet,
     "%I elements refer to a surface that has not been defined. The elements have been identified in element "
     "set %S."},
    {-45, "ErrElemGasketOrientation", -2, kElementSet,
     "The orientation of %I gasket elements is incorrect. The elements have been identified in element set %S."},
    {-44, "WarnElemIncorrectCouplingOpt", -1, kElementSet,
     "%I coupling elements have a coupling option that does not apply to them. The option will be ignored. The "
     "elements have been identified in element set %S."},
    {-43, "ErrElemIncorrectCouplingOpt", -2, kElementSet,
     "%I coupling elements have an incorrect coupling option. The elements have been identified in element set "
     "%S."},
    {-42, "WarnElemRedundantCouplingNodes", -1, kElementSet,
     "%I coupling elements have redundant coupling nodes. The elements have been identified in element set %S."},
    {-41, "WarnElemIncorrectProperty", -1, kElementSet,
     "%I elements have incorrect property definitions. Default values will be used. The elements have been "
     "identified in element set %S."},
    {-40, "ErrElemMissingProperty", -2, kElementSet,
     "%I elements are missing property definitions. The elements have been identified in element set %S."},
    {-39, "ErrElemPEEQBackstressIC", -2, kElementSet,
     "Initial equivalent plastic strain or backstress has been specified for %I elements whose material has no "
     "plasticity. The elements have been identified in element set %S."},
    {-38, "ErrElemIncorrectNodes", -2, kElementSet,
     "%I elements have an incorrect number of nodes. The elements have been identified in element set %S."},
    {-37, "ErrElemZeroWedgeAngle", -2, kElementSet,
     "The wedge angle of %I elements is zero. The elements have been identified in element set %S."},
    {-36, "ErrElemZeroWidth", -2, kElementSet,
     "%I elements have zero width. The elements have been identified in element set %S."},
    {-35, "ErrElemZeroClearance", -2, kElementSet,
     "The clearance of %I gap elements is zero. The elements have been identified in element set %S."},
    {-33, "ErrElemIncorrectProperty", -2, kElementSet,
     "%I elements have incorrect property definitions. The elements have been identified in element set %S."},
    {-32, "ErrElemSectionOrient", -2, kElementSet,
     "The section orientation of %I elements is incorrect. The elements have been identified in element set %S."},
    {-31, "ErrElemAxisDir", -2, kElementSet,
     "The axis direction given for %I elements is incorrect. The elements have been identified in element set "
     "%S."},
    {-30, "ErrElemZeroLength", -2, kElementSet,
     "%I elements have zero length. The elements have been identified in element set %S."},
    {-29, "ErrElemDirCosines", -2, kElementSet,
     "The direction cosines given for %I elements are incorrect. The elements have been identified in element "
     "set %S."},
    {-28, "ErrElemZeroI22", -2, kElementSet,
     "The moment of inertia I22 of %I elements is zero. The elements have been identified in element set %S."},
    {-27, "ErrElemZeroI11", -2, kElementSet,
     "The moment of inertia I11 of %I elements is zero. The elements have been identified in element set %S."},
    {-26, "ErrElemZeroArea", -2, kElementSet,
     "The cross-sectional area of %I elements is zero. The elements have been identified in element set %S."},
    {-25, "ErrElemMissingIntegPoints", -2, kElementSet,
     "The number of section integration points is missing for %I elements. The elements have been identified "
     "in element set %S."},
    {-24, "ErrElemEvenIntegPoints", -2, kElementSet,
     "%I elements have been given an even number of section integration points where an odd number is "
     "required. The elements have been identified in element set %S."},
    {-23, "ErrElemOddIntegPoints", -2, kElementSet,
     "%I elements have been given an odd number of section integration points where an even number is "
     "required. The elements have been identified in element set %S."},
    {-22, "ErrElemFewIntegPoints", -1, kElementSet,
     "%I elements have fewer than the recommended number of integration points. The elements are identified in "
     "element set %S."},
    {-21, "ErrElemZeroTorsionRigidity", -2, kElementSet,
     "The torsional rigidity of %I elements is zero. The elements have been identified in element set %S."},
    {-20, "ErrElemZeroTransShearStiff", -2, kElementSet,
     "The transverse shear stiffness of %I elements is zero. The elements have been identified in element set "
     "%S."},
    {-17, "ErrElemRebarDefinition", -2, kElementSet,
     "The rebar definitions of %I elements are incorrect. The elements have been identified in element set %S."},
    {-16, "ErrElemMissingSectionThick", -2, kNodeSet,
     "The section thickness at %I nodes have not been defined. The nodes have been identified in node set %S."},
    {-15, "ErrElemMissingNodeThick", -2, kNodeSet,
     "%I nodes have missing section thickness definitions.The nodes have been identified in node set %S."},
    {-14, "ErrElemMissingPermeability", -2, kElementSet,
     "%I elements use a material with no permeability definition. The elements have been identified in element "
     "set %S."},
    {-13, "ErrElemGeoInitStress", -2, kElementSet,
     "Geostatic initial stresses have been specified for %I elements that cannot use them. The elements have "
     "been identified in element set %S."},
    {-12, "ErrElemZeroHourGlassStiffness", -2, kElementSet,
     "The hourglass control stiffness of %I elements is zero. The elements have been identified in element set "
     "%S."},
    {-11, "ErrElemAxisymOrientation", -2, kElementSet,
     "%I axisymmetric elements have an orientation that does not lie in the plane of the model. The elements "
     "have been identified in element set %S."},
    {-10, "WarnElemAdjustOrientation", -1, kElementSet,
     "The orientation of %I elements has been adjusted to make it consistent with the element geometry. The "
     "elements have been identified in element set %S."},
    {-9, "ErrElemIncorrectOrientation", -2, kElementSet,
     "%I elements have an incorrect orientation definition. The elements have been identified in element set "
     "%S."},
    {-6, "ErrElemAccessOrientationRecord", -2, kElementSet,
     "The orientation record of %I elements could not be accessed. The elements have been identified in "
     "element set %S."},
    {-5, "ErrElemZeroThickness", -2, kElementSet,
     "%I elements have been assigned a section of zero thickness. The elements have been identified in element "
     "set %S."},
    {-4, "ErrElemMissingSection", -2, kElementSet,
     "%I elements have no section definition. The elements have been identified in element set %S."},
    {-3, "ErrElemIncorrectSection", -2, kElementSet,
     "%I elements have been assigned a section definition that does not match their element type. The elements "
     "have been identified in element set %S."},
    {-2, "WarnElemRedundantSection", -1, kElementSet,
     "%I elements have been defined with multiple property definitions. The last property definition "
     "encountered will be used. The elements have been identified in element set %S."},
    {-1, "ErrElemRedundantSection_Import", -2, kElementSet,
     "%I elements have been defined with multiple property definitions and/ or material orientation of "
     "imported elements has been redefined. The elements have been identified in element set %S."},
    {92, "ErrElemDiffRigidRefNode", -2, kElementSet,
     "%I elements have a different rigid body reference node than other elements in this surface definition. "
     "The elements are identified in element set %S."},
};
static_assert(sortedByKey(kPreRows));

// Checks shared by the pre-processor and the solvers.
constexpr Row kShrRows[] = {
    {-2557, "ErrElemMissingSpHeat", -2, kElementSet,
     "Convection/Diffusion elements must be associated with a *SPECIFIC HEAT definition. The elements have "
     "been identified in element set %S."},
    {-2134, "ErrElemSkewRebarOrient", -2, kElementSet,
     "The skew rebar orientation of %I elements is incorrect. The elements have been identified in element set "
     "%S."},
    {-2133, "ErrElemMatPntPolarAxis", -2, kElementSet,
     "The material point of %I elements lies on the polar axis. The elements have been identified in element "
     "set %S."},
    {-2132, "ErrElemTwoLocalDirCoin", -2, kElementSet,
     "Two local directions coincide for %I elements. The elements have been identified in element set %S."},
    {-2131, "ErrElemLenSideZero", -2, kElementSet,
     "%I elements have a side of zero length. The elements have been identified in element set %S."},
    {-2130, "ErrElemLocalNodeNumber", -2, kElementSet,
     "%I elements have an invalid local node number. The elements have been identified in element set %S."},
    {-2127, "ErrElemUserNormMatOrient", -2, kElementSet,
     "The user-defined normal of %I elements is not consistent with their material orientation. The elements "
     "have been identified in element set %S."},
    {-2126, "WarnElemSPNormalContactAngle", -1, kElementSet,
     "The angle between the slide plane normal and the contact direction of %I elements is large. The elements "
     "have been identified in element set %S."},
    {-2125, "ErrElemNormal", -2, kElementSet,
     "The normal of %I elements cannot be calculated. The elements have been identified in element set %S."},
    {-2122, "ErrElemMatOrientDirUser", -2, kElementSet,
     "The user-defined material orientation direction of %I elements is incorrect. The elements have been "
     "identified in element set %S."},
    {-2106, "ErrElemLocalNodeNoOrient", -2, kElementSet,
     "%I elements have a local node number that has no orientation. The elements have been identified in "
     "element set %S."},
    {-2034, "WarnElemSPNormalContact", -1, kElementSet,
     "The normal of the slide plane of %I elements is not consistent with the contact direction. The elements "
     "have been identified in element set %S."},
    {-2032, "ErrElemSPNormalSlideLine", -2, kElementSet,
     "The slide plane normal of %I elements is incorrect. The elements have been identified in element set %S."},
    {-2031, "ErrElemNoSymAxisSlideLine", -2, kElementSet,
     "%I elements are not associated with the slide line of the symmetry axis. The elements have been "
     "identified in element set %S."},
    {-2030, "ErrElemNoSPSlideLine", -2, kElementSet,
     "%I elements are not associated with any slide plane. The elements have been identified in element set %S."},
    {-2029, "ErrElemDegenerate", -2, kElementSet,
     "%I elements are degenerate. The elements have been identified in element set %S."},
    {-2026, "ErrElemShellNormal", -2, kElementSet,
     "The shell normal of %I elements is incorrect. The elements have been identified in element set %S."},
    {-2025, "ErrElemShort", -2, kElementSet,
     "%I elements are too short. The elements have been identified in element set %S."},
    {-2024, "WarnElemShort", -1, kElementSet,
     "%I elements are very short. The elements have been identified in element set %S."},
    {-2023, "ErrElemPipeTangent", -2, kElementSet,
     "The pipe tangent of %I elements is incorrect. The elements have been identified in element set %S."},
    {-2022, "ErrElemLengthRadius", -2, kElementSet,
     "The length of %I elements is small compared with their radius of curvature. The elements have been "
     "identified in element set %S."},
    {-2021, "WarnElemWarped_Import", -1, kElementSet,
     "%I imported elements are highly curved/warped. Mesh refinement is recommended. The elements have been "
     "identified in element set %S."},
    {-2020, "WarnElemWarped_Import37", -1, kElementSet,
     "%I imported elements are highly curved/warped. The angle subtended between the average element normal "
     "and a nodal normal exceeds 40 degrees. Mesh refinement is recommended. The elements have been identified "
     "in element set %S."},
    {-2019, "WarnElemWarped", -1, kElementSet,
     "%I elements are highly curved/warped. Mesh refinement is recommended. The elements have been identified "
     "in element set %S."},
    {-2018, "ErrElemWarped", -1, kElementSet,
     "%I elements are highly curved/warped. The angle subtented between the average element normal and a nodal "
     "normal exceeds 40 degrees. Check nodal coordinates or refine mesh. The elements have been identified in "
     "element set %S."},
    {-2016, "ErrElemBeamSecDirVect", -2, kElementSet,
     "The beam section direction vector of %I elements is incorrect. The elements have been identified in "
     "element set %S."},
    {-2015, "ErrElemBeamSecNormal", -2, kElementSet,
     "The beam section normal of %I elements is incorrect. The elements have been identified in element set %S."},
    {-2014, "ErrElemDimSmallNegZero", -2, kElementSet,
     "A dimension of %I elements is too small, negative or zero. The elements have been identified in element "
     "set %S."},
    {-2012, "WarnElemVolSmallNegZero", -1, kElementSet,
     "%I elements have a volume that is small, negative or zero. The elements have been identified in element "
     "set %S."},
    {-2010, "WarnElem21NodeCentroid", -1, kElementSet,
     "The centroid node of %I 21-node elements is not placed at the element centroid. The elements have been "
     "identified in element set %S."},
    {-2009, "ErrElemVolSmallNegZero", -2, kElementSet,
     "%I elements have a volume that is too small, negative or zero. The elements have been identified in "
     "element set %S."},
    {-2008, "WarnElemAspectRatio", -1, kElementSet,
     "%I elements have a large aspect ratio. The elements have been identified in element set %S."},
    {-2007, "ErrElemAreaSmallNegZero", -2, kElementSet,
     "%I elements have an area that is too small, negative or zero. The elements have been identified in "
     "element set %S."},
    {-2006, "WarnElemDistorted", -1, kElementSet,
     "%I elements are distorted. Either the interior angles are out of the suggested limits or the triangular "
     "or tetrahedral quality measure is bad. The elements have been identified in element set %S."},
    {-2005, "ErrElemDistorted", -2, kElementSet,
     "The geometry of %I elements is too distorted. Check the nodal coordinates or node numbering on elements "
     "identified in element set %S."},
    {-2004, "ErrElemLenSmallNegZero", -2, kElementSet,
     "%I elements have a length that is too small, negative or zero. The elements have been identified in "
     "element set %S."},
    {2080, "ErrElemCylNodesNotOnPlane", -2, kElementSet,
     "The nodes on the cross-sections of cylindrical elements must lie in a plane. The elements for which this "
     "is not the case have been identified in element set %S."},
    {2081, "ErrElemCylArcAngle", -2, kElementSet,
     "The arc angle of %I cylindrical elements is incorrect. The elements have been identified in element set "
     "%S."},
    {2082, "ErrElemCylArcCenter", -2, kElementSet,
     "The arc center of %I cylindrical elements is incorrect. The elements have been identified in element set "
     "%S."},
    {2083, "ErrElemCylMidsideNodes", -2, kElementSet,
     "The midside nodes of %I cylindrical elements are not placed correctly. The elements have been identified "
     "in element set %S."},
    {2084, "ErrElemCylAngleSpan", -2, kElementSet,
     "The angle spanned by %I cylindrical elements is too large. The elements have been identified in element "
     "set %S."},
};
static_assert(sortedByKey(kShrRows));

// The implicit solver; labels get the step and increment appended.
constexpr Row kStdRows[] = {
    {-2146, "WarnElemPlStressViscous", -1, kElementSet,
     "Viscous effects under plane stress are not available for %I elements. The elements have been identified "
     "in element set %S."},
    {-2145, "ErrElemConnMotion", -2, kElementSet,
     "The connector motion of %I elements is not permitted. The elements have been identified in element set "
     "%S."},
    {-2144, "ErrElemCharBendStrength", -2, kElementSet,
     "The characteristic bending strength of %I elements has been exceeded. The elements have been identified "
     "in element set %S."},
    {-2143, "WarnElemColinCoupNodes", -1, kElementSet,
     "The coupling nodes of %I elements are collinear. The elements have been identified in element set %S."},
    {-2142, "WarnElemOverconstr", -1, kElementSet,
     "%I elements are overconstrained. The elements have been identified in element set %S."},
    {-2141, "ErrElemDistSurfLoad", -2, kElementSet,
     "Distributed surface loads could not be applied on %I elements. The elements have been identified in "
     "element set %S."},
    {-2140, "WarnElemConnMotion", -1, kElementSet,
     "The connector motion of %I elements is large. The elements have been identified in element set %S."},
    {-2139, "WarnElemPSIorient", -1, kElementSet,
     "The orientation of %I pipe-soil interaction elements is incorrect. The elements have been identified in "
     "element set %S."},
    {-2138, "WarnElemFrametoStrut", -1, kElementSet,
     "%I frame elements have been changed to strut elements. The elements have been identified in element set "
     "%S."},
    {-2137, "WarnElemTStress", -1, kElementSet,
     "The T-stress could not be calculated for %I elements. The elements have been identified in element set "
     "%S."},
    {-2136, "WarnElemKFactor", -1, kElementSet,
     "The stress intensity factor could not be calculated for %I elements. The elements have been identified "
     "in element set %S."},
    {-2135, "WarnElemDsaExceedTol", -1, kElementSet,
     "The design sensitivity of %I elements exceeds the tolerance. The elements have been identified in "
     "element set %S."},
    {-2129, "WarnElem1DirOppElemNormal", -1, kElementSet,
     "The first direction of %I elements is opposite to the element normal. The elements have been identified "
     "in element set %S."},
    {-2128, "WarnElem3DirOppElemNormal", -1, kElementSet,
     "The third direction of %I elements is opposite to the element normal. The elements have been identified "
     "in element set %S."},
    {-2124, "ErrElemFacZeroNormCoinTang", -2, kElementSet,
     "%I elements have facets with a zero normal, or with a normal that coincides with a tangent. The elements "
     "have been identified in element set %S."},
    {-2123, "ErrElemFacZeroTangCoinTang", -2, kElementSet,
     "%I elements have facets with a zero tangent, or with two tangents that coincide. The elements have been "
     "identified in element set %S."},
    {-2120, "WarnElemLineSpringPlas", -1, kElementSet,
     "The line spring plasticity algorithm did not converge in %I elements. The elements have been identified "
     "in element set %S."},
    {-2119, "ErrElemContribJIntegral", 0, kElementSet,
     "Contribution to contour integral for %I elements is not included. The elements have been identified in "
     "element set %S."},
    {-2118, "WarnElemDloadDegenFace", -1, kElementSet,
     "Distributed loads have been specified on degenerate faces of %I elements. The elements have been "
     "identified in element set %S."},
    {-2117, "WarnElemNormalImpElem", -1, kElementSet,
     "The normal of %I imported elements has changed direction. The elements have been identified in element "
     "set %S."},
    {-2116, "WarnElemCreepMetalPlas", -1, kElementSet,
     "The creep and metal plasticity algorithm did not converge in %I elements. The elements have been "
     "identified in element set %S."},
    {-2115, "WarnElemAdiabMetalPlas", -1, kElementSet,
     "The adiabatic metal plasticity algorithm did not converge in %I elements. The elements have been "
     "identified in element set %S."},
    {-2114, "WarnElemSubGasketPlas", -1, kElementSet,
     "The gasket plasticity algorithm needed subincrementation in %I elements. The elements have been "
     "identified in element set %S."},
    {-2113, "ErrElemConcOrient", -2, kElementSet,
     "The concrete orientation of %I elements is incorrect. The elements have been identified in element set "
     "%S."},
    {-2112, "WarnElemCapPlasLineSearch", -1, kElementSet,
     "The line search of the cap plasticity algorithm failed in %I elements. The elements have been identified "
     "in element set %S."},
    {-2111, "WarnElemCapPlasLogic", -1, kElementSet,
     "The cap plasticity algorithm reached an unexpected state in %I elements. The elements have been "
     "identified in element set %S."},
    {-2110, "ErrElemCapPlasLogic", -2, kElementSet,
     "The cap plasticity algorithm reached an inconsistent state in %I elements. The elements have been "
     "identified in element set %S."},
    {-2109, "WarnElemCapPlas", -1, kElementSet,
     "The cap plasticity algorithm did not converge in %I elements. The elements have been identified in "
     "element set %S."},
    {-2108, "WarnElemSubCastIronPlas", -1, kElementSet,
     "The cast iron plasticity algorithm needed subincrementation in %I elements. The elements have been "
     "identified in element set %S."},
    {-2107, "WarnElemDefLenZero", -1, kElementSet,
     "The deformed length of %I elements is zero. The elements have been identified in element set %S."},
    {-2105, "WarnElemGeomCalcErr", -1, kElementSet,
     "The geometry calculation failed for %I elements. The elements have been identified in element set %S."},
    {-2104, "WarnElemHysteresis", -1, kElementSet,
     "The hysteresis algorithm did not converge in %I elements. The elements have been identified in element "
     "set %S."},
    {-2103, "WarnElemBlkJntPlasNoConv", -1, kElementSet,
     "The block joint plasticity algorithm did not converge in %I elements. The elements have been identified "
     "in element set %S."},
    {-2102, "WarnElemBlkPlasNoConv", -1, kElementSet,
     "The block plasticity algorithm did not converge in %I elements. The elements have been identified in "
     "element set %S."},
    {-2101, "InfoElemPlasIncExceedTol", 1, kElementSet,
     "The plasticity increment exceeded user-specified tolerance on %I elements. The elements have been "
     "identified in element set %S."},
    {-2100, "InfoElemSpudCanEmbed", 1, kElementSet,
     "%I spud can elements have become embedded. The elements have been identified in element set %S."},
    {-2099, "InfoElemPlasYldTopParab", 1, kElementSet,
     "Plastic yield on the top parabola was found in %I elements. The elements have been identified in element "
     "set %S."},
    {-2098, "InfoElemPosPlasYldJoint", 1, kElementSet,
     "Positive plastic yield was found at the joints of %I elements. The elements have been identified in "
     "element set %S."},
    {-2097, "InfoElemJointPlasNoAttmpt", 1, kElementSet,
     "The joint plasticity calculation was not attempted for %I elements in this iteration. The elements have "
     "been identified in element set %S."},
    {-2096, "InfoElemJointPlasFail", 1, kElementSet,
     "The joint plasticity calculation failed for %I elements in this iteration. The elements have been "
     "identified in element set %S."},
    {-2092, "WarnElemICPorePres", -1, kElementSet,
     "The initial pore pressure of %I elements is incorrect. The elements have been identified in element set "
     "%S."},
    {-2091, "WarnElemPosNodesGapDir", -1, kElementSet,
     "The nodes of %I elements are positioned along the gap direction. The elements have been identified in "
     "element set %S."},
    {-2090, "WarnElemConInterGap", -1, kElementSet,
     "The initial gap of %I contact interface elements is incorrect. The elements have been identified in "
     "element set %S."},
    {-2088, "WarnElemMNStrPosZero", -1, kElementSet,
     "The moment or normal strength of %I elements is positive or zero. The elements have been identified in "
     "element set %S."},
    {-2087, "WarnElemBackSubNoStiff", -1, kElementSet,
     "The back substitution found no stiffness in %I elements. The elements have been identified in element "
     "set %S."},
    {-2086, "WarnElemNewtonPlasFrame", -1, kElementSet,
     "The Newton iteration of the plasticity of %I frame elements did not converge. The elements have been "
     "identified in element set %S."},
    {-2085, "WarnElemPlasAlgoFrame", -1, kElementSet,
     "The plasticity algorithm of %I frame elements did not converge. The elements have been identified in "
     "element set %S."},
    {-2084, "WarnElemExtRatioPlStr", -1, kElementSet,
     "The plastic strain ratio is excessive in %I elements. The elements have been identified in element set "
     "%S."},
    {-2083, "WarnElemSeaChainInactive", -1, kElementSet,
     "%I sea drag chain elements are inactive. The elements have been identified in element set %S."},
    {-2082, "ErrElemNormSeaDrgChain", -2, kElementSet,
     "The normal of %I sea drag chain elements cannot be calculated. The elements have been identified in "
     "element set %S."},
    {-2080, "WarnElemSubKinHard", -1, kElementSet,
     "The kinematic hardening algorithm needed subincrementation in %I elements. The elements have been "
     "identified in element set %S."},
    {-2075, "WarnElemCreepDPPlas", -1, kElementSet,
     "The creep and Drucker-Prager plasticity algorithm did not converge in %I elements. The elements have "
     "been identified in element set %S."},
    {-2074, "WarnElemSubDruckPrag", -1, kElementSet,
     "The Drucker-Prager plasticity algorithm needed subincrementation in %I elements. The elements have been "
     "identified in element set %S."},
    {-2073, "WarnElemNoDielecMatProp", -1, kElementSet,
     "%I elements have no dielectric material properties. The elements have been identified in element set %S."},
    {-2072, "WarnElemJntPlasNoConv", -1, kElementSet,
     "The joint plasticity algorithm did not converge in %I elements. The elements have been identified in "
     "element set %S."},
    {-2071, "WarnElemOverclosure", -1, kElementSet,
     "%I elements have excessive overclosure. The elements have been identified in element set %S."},
    {-2068, "WarnElemCreepCapPlas", -1, kElementSet,
     "The creep and cap plasticity algorithm did not converge in %I elements. The elements have been "
     "identified in element set %S."},
    {-2067, "WarnElemCreepNoConv", -1, kElementSet,
     "The creep integration did not converge in %I elements. The elements have been identified in element set "
     "%S."},
    {-2065, "WarnElemMetalCreepSwell", -1, kElementSet,
     "The metal creep and swelling algorithm did not converge in %I elements. The elements have been "
     "identified in element set %S."},
    {-2064, "WarnElemCreepProp", -1, kElementSet,
     "The creep properties of %I elements are outside the range of the given data. The elements have been "
     "identified in element set %S."},
    {-2063, "WarnElemConcTensPlas", -1, kElementSet,
     "The concrete tension plasticity algorithm did not converge in %I elements. The elements have been "
     "identified in element set %S."},
    {-2062, "WarnElemConcCompPlas", -1, kElementSet,
     "The concrete compression plasticity algorithm did not converge in %I elements. The elements have been "
     "identified in element set %S."},
    {-2060, "WarnElemSmallThick", -1, kElementSet,
     "The thickness of %I elements has become very small. The elements have been identified in element set %S."},
    {-2059, "WarnElemCharLength", -1, kElementSet,
     "The characteristic length of %I elements is too large for the material model. The elements have been "
     "identified in element set %S."},
    {-2058, "WarnElemNoConvJacStr", -1, kElementSet,
     "The Jacobian stress calculation did not converge in %I elements. The elements have been identified in "
     "element set %S."},
    {-2057, "WarnElemVDWHyper", -1, kElementSet,
     "The hyperelastic material of %I elements has reached its locking stretch. The elements have been "
     "identified in element set %S."},
    {-2054, "WarnElemExtremeDefCol", -1, kElementSet,
     "%I elements have extreme deformation and may collapse. The elements have been identified in element set "
     "%S."},
    {-2053, "WarnElemExtremeDef", -1, kElementSet,
     "%I elements have extreme deformation. The elements have been identified in element set %S."},
    {-2052, "WarnElemDistInOut", -1, kElementSet,
     "%I elements are distorting so much that they turn inside out. The elements have been identified in "
     "element set %S."},
    {-2050, "WarnElemPorMetalPlas", -1, kElementSet,
     "The porous metal plasticity algorithm did not converge in %I elements. The elements have been identified "
     "in element set %S."},
    {-2046, "WarnElemNoPiezoMat", -1, kElementSet,
     "%I elements have no piezoelectric material properties. The elements have been identified in element set "
     "%S."},
    {-2044, "WarnElemConcDamagedPlas", -1, kElementSet,
     "The concrete damaged plasticity algorithm did not converge in %I elements. The elements have been "
     "identified in element set %S."},
    {-2043, "WarnElemMohrCoulPlas", -1, kElementSet,
     "The Mohr-Coulomb plasticity algorithm did not converge in %I elements. The elements have been identified "
     "in element set %S."},
    {-2042, "WarnElemCamClayPlas", -1, kElementSet,
     "The Cam-clay plasticity algorithm did not converge in %I elements. The elements have been identified in "
     "element set %S."},
    {-2041, "WarnElemDruckPragPlas", -1, kElementSet,
     "The Drucker-Prager plasticity algorithm did not converge in %I elements. The elements have been "
     "identified in element set %S."},
    {-2040, "WarnElemFoamPlas", -1, kElementSet,
     "The crushable foam plasticity algorithm did not converge in %I elements. The elements have been "
     "identified in element set %S."},
    {-2039, "WarnElemMetalPlas", -1, kElementSet,
     "The metal plasticity algorithm did not converge in %I elements. The elements have been identified in "
     "element set %S."},
    {-2038, "WarnElemJointedMatComb", -1, kElementSet,
     "The jointed material plasticity algorithm found an invalid combination of active systems in %I elements. "
     "The elements have been identified in element set %S."},
    {-2037, "WarnElemJointedMatPlas", -1, kElementSet,
     "The jointed material plasticity algorithm did not converge in %I elements. The elements have been "
     "identified in element set %S."},
    {-2035, "ErrElemNodeCloseNoNormal", -2, kElementSet,
     "%I elements have nodes too close together for a normal to be calculated. The elements have been "
     "identified in element set %S."},
    {-2028, "WarnElemHyperFoam", -1, kElementSet,
     "It appears that the hyperfoam material is becoming unstable. Convergence judged  unlikely. The elements "
     "have been identified in element set %S."},
    {-2027, "WarnElemPipes", -1, kElementSet,
     "%I pipe elements are ovalizing so much that the solution may become inaccurate. The elements have been "
     "identified in element set %S."},
    {2085, "WarnElemAdaptMeshDistort", -1, kElementSet,
     "%I elements in the adaptive mesh domain are distorting so much that they turn inside out. The elements "
     "have been identified in element set %S."},
};
static_assert(sortedByKey(kStdRows));

}  // namespace

bool ElementBasedMessagesInPre(int key, cow_String& label, cow_String& text, int& severity, int& setType) {
  return zmx::catalogue::lookUp(kPreRows, key, label, text, severity, setType);
}

bool ElementBasedMessagesInShr(int key, cow_String& label, cow_String& text, int& severity, int& setType) {
  return zmx::catalogue::lookUp(kShrRows, key, label, text, severity, setType);
}

bool ElementBasedMessagesInStd(int key, cow_String& label, cow_String& text, int& severity, int& setType, int step,
                               int increment) {
  return zmx::catalogue::lookUpPerIncrement(kStdRows, key, label, text, severity, setType, step, increment);
}
