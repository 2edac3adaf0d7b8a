// Layout of the node and link importance tables, checked against a program
// stand-in that records which values the table asks for, in which order.
#include "reports/result_tables.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace verdalis {

namespace {

// Answers every value query with the next number of a counter and records
// the query, so a row shows both the order of the cells and their source.
class recordingProgram {
 public:
  std::set<std::string> selected;
  int existing = 2;
  int candidates = 0;
  std::string throwOnKey;  // a value query with this key throws
  std::vector<std::string> calls;
  float next = 0;

  bool has(const char* index) const { return selected.count(index) > 0; }
  bool solveA() const { return has("A"); }
  bool solveNL() const { return has("NL"); }
  bool solveNC() const { return has("NC"); }
  bool solveH() const { return has("H"); }
  bool solveBC() const { return has("BC"); }
  bool solveCCP() const { return has("CCP"); }
  bool solveLCP() const { return has("LCP"); }
  bool solveIIC() const { return has("IIC"); }
  bool solveF() const { return has("F"); }
  bool solveAWF() const { return has("AWF"); }
  bool solvePC() const { return has("PC"); }
  bool solveBCPC() const { return has("BCPC"); }
  bool solveBCIIC() const { return has("BCIIC"); }

  int numberNodes() const { return existing; }
  int numberNodesAdd() const { return candidates; }
  int valueOfLabel(int i) const { return 10 + i; }
  int valueOfLabelAdd(int k) const { return 90 + k; }

  float record(const std::string& call, const std::string& key) {
    if (!throwOnKey.empty() && key == throwOnKey) throw " Not enough memory.";
    calls.push_back(call);
    return ++next;
  }
  float valueOfDelta(int type, const std::string& key, int i) {
    return record("d" + std::to_string(type) + ":" + key + ":" + std::to_string(i), key);
  }
  float valueOfVar(int type, const std::string& key, int i) {
    return record("v" + std::to_string(type) + ":" + key + ":" + std::to_string(i), key);
  }
  float valueOfBC(int i) { return record("bc:" + std::to_string(i), "bc") + 0.5f; }

  float link(const char* name, int i, int j) {
    return record(std::string(name) + ":" + std::to_string(i) + "," + std::to_string(j), name);
  }
#define VERDALIS_LINK_FAMILY(Family)                                           \
  float valueOfDelta##Family##NL(int i, int j) { return link(#Family "NL", i, j); }   \
  float valueOfDelta##Family##NC(int i, int j) { return link(#Family "NC", i, j); }   \
  float valueOfDelta##Family##H(int i, int j) { return link(#Family "H", i, j); }     \
  float valueOfDelta##Family##CCP(int i, int j) { return link(#Family "CCP", i, j); } \
  float valueOfDelta##Family##LCP(int i, int j) { return link(#Family "LCP", i, j); } \
  float valueOfDelta##Family##IIC(int i, int j) { return link(#Family "IIC", i, j); } \
  float valueOfDelta##Family##F(int i, int j) { return link(#Family "F", i, j); }     \
  float valueOfDelta##Family##AWF(int i, int j) { return link(#Family "AWF", i, j); } \
  float valueOfDelta##Family##PC(int i, int j) { return link(#Family "PC", i, j); }
  VERDALIS_LINK_FAMILY(Con)
  VERDALIS_LINK_FAMILY(ConSure)
  VERDALIS_LINK_FAMILY(ConDiff)
#undef VERDALIS_LINK_FAMILY
};

std::string nodeRows(recordingProgram& program) {
  std::ostringstream out;
  putNodeRows(out, program);
  return out.str();
}

std::string linkTable(recordingProgram& program, linkFamily family) {
  std::ostringstream out;
  putLinkTable(out, program, family);
  return out.str();
}

TEST(NodeTableTest, OnlyIICGivesNodeAndTheEightIICColumns) {
  recordingProgram program;
  program.selected = {"IIC"};
  EXPECT_EQ(nodeTableHeader(program),
            "Node\tdIIC\tdIICintra\tdIICflux\tdIICconnector\tvarIIC\tvarIICintra\tvarIICflux\tvarIICconnector\t\n");
  program.existing = 1;
  EXPECT_EQ(nodeRows(program), "10\t1\t2\t3\t4\t5\t6\t7\t8\t\n");
  EXPECT_EQ(program.calls, (std::vector<std::string>{"d1:iic:0", "d1:iicintra:0", "d1:iicflux:0",
                                                      "d1:iicconnector:0", "v1:iicvar:0", "v1:iicintravar:0",
                                                      "v1:iicfluxvar:0", "v1:iicconnectorvar:0"}));
}

TEST(NodeTableTest, AllGroupsInTheirFixedOrderWithBCBetweenHAndCCP) {
  recordingProgram program;
  program.selected = {"BCIIC", "BCPC", "PC", "AWF", "F", "IIC", "LCP", "CCP", "BC", "H", "NC", "NL", "A"};
  EXPECT_EQ(nodeTableHeader(program),
            "Node\tdA\tvarA\tdNL\tvarNL\tdNC\tvarNC\tdH\tvarH\tBC\tdCCP\tvarCCP\tdLCP\tvarLCP\t"
            "dIIC\tdIICintra\tdIICflux\tdIICconnector\tvarIIC\tvarIICintra\tvarIICflux\tvarIICconnector\t"
            "dF\tvarF\tdAWF\tvarAWF\t"
            "dPC\tdPCintra\tdPCflux\tdPCconnector\tvarPC\tvarPCintra\tvarPCflux\tvarPCconnector\t"
            "dBC_PC\tvarBC_PC\tdBC_IIC\tvarBC_IIC\t\n");
}

TEST(NodeTableTest, NoIndexGivesBareIdentifiers) {
  recordingProgram program;
  EXPECT_EQ(nodeTableHeader(program), "Node\t\n");
  EXPECT_EQ(nodeRows(program), "10\t\n11\t\n");
}

TEST(NodeTableTest, CandidateRowsFollowWithTheirOwnIdentifierAndBCZero) {
  recordingProgram program;
  program.selected = {"H", "BC", "BCPC"};
  program.existing = 2;
  program.candidates = 1;
  EXPECT_EQ(nodeRows(program),
            "10\t1\t2\t3.5\t4\t5\t\n"
            "11\t6\t7\t8.5\t9\t10\t\n"
            "90\t11\t12\t0\t13\t14\t\n");
  EXPECT_EQ(program.calls.back(), "v2:bcpcvar:0");
  EXPECT_EQ(program.calls[program.calls.size() - 4], "d2:h:0");
}

TEST(NodeTableTest, AFailingValueKeepsTheGroupsCellsSoFarAndTheRowGoesOn) {
  recordingProgram program;
  program.selected = {"NL", "IIC", "F"};
  program.existing = 1;
  program.throwOnKey = "iicflux";
  // IIC keeps dIIC and dIICintra; its six other cells are left out.
  EXPECT_EQ(nodeRows(program), "10\t1\t2\t3\t4\t5\t6\t\n");
  EXPECT_EQ(program.calls.back(), "v1:fvar:0");
}

TEST(LinkTableTest, PairsLargerPositionFirstInScanOrder) {
  recordingProgram program;
  program.selected = {"NC", "PC"};
  program.existing = 3;
  EXPECT_EQ(linkTable(program, linkFamily::removal),
            "Node1\tNode2\tdNC\tdPC\t\n"
            "11\t10\t1\t2\t\n"
            "12\t10\t3\t4\t\n"
            "12\t11\t5\t6\t\n");
  EXPECT_EQ(program.calls.front(), "ConNC:1,0");
  EXPECT_EQ(program.calls.back(), "ConPC:2,1");
}

TEST(LinkTableTest, EachFamilyAsksItsOwnAccessorsInIndexOrder) {
  recordingProgram program;
  program.selected = {"A", "BC", "PC", "AWF", "F", "IIC", "LCP", "CCP", "H", "NC", "NL"};
  const std::string header = "Node1\tNode2\tdNL\tdNC\tdH\tdCCP\tdLCP\tdIIC\tdF\tdAWF\tdPC\t\n";
  EXPECT_EQ(linkTable(program, linkFamily::improvement).substr(0, header.size()), header);
  EXPECT_EQ(program.calls.front(), "ConSureNL:1,0");
  EXPECT_EQ(program.calls.back(), "ConSurePC:1,0");
  program.calls.clear();
  linkTable(program, linkFamily::change);
  EXPECT_EQ(program.calls, (std::vector<std::string>{"ConDiffNL:1,0", "ConDiffNC:1,0", "ConDiffH:1,0",
                                                      "ConDiffCCP:1,0", "ConDiffLCP:1,0", "ConDiffIIC:1,0",
                                                      "ConDiffF:1,0", "ConDiffAWF:1,0", "ConDiffPC:1,0"}));
}

TEST(LinkTableTest, NoIndexAndFewNodes) {
  recordingProgram program;
  program.existing = 2;
  EXPECT_EQ(linkTable(program, linkFamily::removal), "Node1\tNode2\t\n11\t10\t\n");
  program.existing = 1;
  EXPECT_EQ(linkTable(program, linkFamily::change), "Node1\tNode2\t\n");
}

}  // namespace

}  // namespace verdalis
