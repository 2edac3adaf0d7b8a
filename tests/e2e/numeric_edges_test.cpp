// The built program on landscapes at the numeric edges: attributes that sum
// to 0, a landscape attribute equal to the sum, one node, two identical
// nodes, probabilities of exactly 0 and 1, values exactly at the thresholds.
// Where a formula divides by zero the files hold "inf", "-inf" or "nan",
// always spelled so, and the run still completes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace verdalis {

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> all;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) all.push_back(line);
  return all;
}

std::size_t cells(const std::string& line) {
  std::size_t n = 0;
  for (char c : line) n += c == '\t';
  return n;
}

class NumericEdges : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "verdalis_numeric_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }

  void write(const std::string& name, const std::string& text) {
    std::ofstream(folder / name, std::ios::binary) << text;
  }
  std::string file(const std::string& name) { return readFile(folder / name); }

  // Runs the program; every run here must complete.
  void run(const std::string& arguments) {
    const std::string command =
        "cd '" + folder.string() + "' && '" VERDALIS_BINARY "' " + arguments + " > console.txt 2>&1";
    const int status = std::system(command.c_str());
    console = file("console.txt");
    ASSERT_TRUE(WIFEXITED(status)) << console;
    ASSERT_EQ(WEXITSTATUS(status), 0) << console;
    EXPECT_EQ(console.find("Error"), std::string::npos) << console;
  }

  // Every row of a table has the cells of its header, and a not-a-number is
  // never written with a sign.
  void expectWellFormed(const std::string& name) {
    const std::vector<std::string> rows = lines(file(name));
    ASSERT_FALSE(rows.empty()) << name;
    for (const std::string& row : rows) EXPECT_EQ(cells(row), cells(rows[0])) << name << ": " << row;
    EXPECT_EQ(file(name).find("-nan"), std::string::npos) << name;
  }

  fs::path folder;
  std::string console;
};

const char* const kPath = "2\t1\t100\n1\t2\t100\n3\t2\t200\n2\t3\t200\n";

TEST_F(NumericEdges, AttributesSummingToZeroGiveNanWhereTheyDivideByZero) {
  write("n.txt", "1\t0\n2\t0\n3\t0\n");
  write("c.txt", kPath);
  run("-nodeFile n.txt -conFile c.txt -A -NC -CCP -LCP -IIC -PC -F -AWF -confAdj 150 -confProb 100 0.5 -removal "
      "-prefix z");
  const std::string overall = file("overall_indices.txt");
  EXPECT_NE(overall.find("NC\t2\nCCP\tnan\nLCPnum\t0\nIICnum\t0\nEC(IIC)\t0\n"), std::string::npos) << overall;
  EXPECT_NE(overall.find("PCnum\t0\nEC(PC)\t0\nPCintra(%)\tnan\nPCdirect(%)\tnan\nPCstep(%)\tnan\n"),
            std::string::npos)
      << overall;
  expectWellFormed("z_node_importances.txt");
  expectWellFormed("z_link_importances_removal.txt");
  // Node 1 holds no share of a zero total: dA is 0/0; its removal loses no
  // IIC out of none.
  const std::vector<std::string> rows = lines(file("z_node_importances.txt"));
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1].rfind("1\tnan\t0\t", 0), 0u) << rows[1];
  EXPECT_EQ(lines(file("node_importances_sum_PC.txt")).size(), 2u);
}

TEST_F(NumericEdges, LandscapeAttributeEqualToTheSumNormalisesTheIndices) {
  write("n.txt", "1\t10\n2\t20\n3\t30\n");
  write("c.txt", kPath);
  run("-nodeFile n.txt -conFile c.txt -LCP -IIC -PC -confAdj 150 -confProb 100 0.5 -landArea 60");
  // LCP = (30² + 30²) / 60²; IICnum = 10² + 20² + 30² + 2·10·20/2; PCnum adds
  // 2·10·20·0.5, 2·20·30·0.25 and 2·10·30·0.125 (through node 2).
  EXPECT_EQ(file("overall_indices.txt"),
            "LCPnum\t1800\nLCP\t0.5\nIICnum\t1600\nEC(IIC)\t40\nIIC\t0.444444\nPCnum\t1975\nEC(PC)\t44.441\n"
            "PC\t0.548611\nPCintra(%)\t70.8861\nPCdirect(%)\t25.3165\nPCstep(%)\t3.79747\n");
  const std::string double_precision = file("overall_indices.txt");
  run("-nodeFile n.txt -conFile c.txt -LCP -IIC -PC -confAdj 150 -confProb 100 0.5 -landArea 60 -simple");
  EXPECT_EQ(file("overall_indices.txt"), double_precision);
}

TEST_F(NumericEdges, LandscapeAttributeBelowTheSumLeavesTheNumerators) {
  write("n.txt", "1\t10\n2\t20\n3\t30\n");
  write("c.txt", kPath);
  const std::string command = "cd '" + folder.string() + "' && '" VERDALIS_BINARY
                              "' -nodeFile n.txt -conFile c.txt -IIC -confAdj 150 -landArea 59.99 > console.txt";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_NE(file("console.txt").find("Error:  Maximum landscape attribute (AL) is lower than the sum of node "
                                     "attributes.\n Only the numerators of the overall LCP, IIC and PC values "
                                     "will be computed.\n"),
            std::string::npos);
  EXPECT_EQ(file("overall_indices.txt"), "IICnum\t1600\nEC(IIC)\t40\n");
}

TEST_F(NumericEdges, OneExistingNodeWithOneCandidate) {
  // The only way past the file checks with a single existing node: the
  // candidate makes room for one connection line.
  write("n.txt", "5\t7\t1\n6\t3\t0\n");
  write("c.txt", "6\t5\t100\n");
  run("-nodeFile n.txt -conFile c.txt -add -A -NL -NC -H -CCP -LCP -IIC -F -AWF -PC -BC -BCIIC -BCPC -confAdj 150 "
      "-confProb 100 0.5 -removal -improvement -wcomp -wlinks -wprobdir -wprobmax -prefix s");
  EXPECT_EQ(file("overall_indices.txt"),
            "NL\t0\nNC\t1\nH\t0\nCCP\t1\nLCPnum\t49\nIICnum\t49\nEC(IIC)\t7\nF\t0\nAWF\t0\nPCnum\t49\nEC(PC)\t7\n"
            "PCintra(%)\t100\nPCdirect(%)\t0\nPCstep(%)\t0\n");
  expectWellFormed("s_node_importances.txt");
  const std::vector<std::string> rows = lines(file("s_node_importances.txt"));
  ASSERT_EQ(rows.size(), 3u);
  // Removing the only node loses everything; adding the candidate raises F
  // and AWF from 0, an infinite relative gain.
  EXPECT_EQ(rows[1].rfind("5\t100\t7\t0\t0\t100\t1\t0\t0\tnan\t100\t1\t100\t49\t100\t100\t0\t0\t49\t", 0), 0u)
      << rows[1];
  EXPECT_NE(rows[2].find("\tinf\t1\tinf\t21\t"), std::string::npos) << rows[2];
  EXPECT_EQ(file("s_components.txt"), "Node\tComponent\n5\t0\n");
  EXPECT_EQ(file("s_links.txt"), "");
  EXPECT_EQ(file("s_direct_probabilities.txt"), "");
  EXPECT_EQ(file("s_maximum_product_probabilities.txt"), "");
  EXPECT_EQ(lines(file("s_link_importances_removal.txt")).size(), 1u);
  EXPECT_EQ(lines(file("s_link_importances_improvement.txt")).size(), 1u);
}

TEST_F(NumericEdges, EveryNodeACandidateLeavesNoPairToMeasure) {
  // No existing patch: the progress plan of the link analyses once divided
  // by the bytes of a PC computation over no sources.
  write("n.txt", "1\t5\t0\n2\t3\t0\n");
  write("c.txt", "1\t2\t100\n");
  run("-nodeFile n.txt -conFile c.txt -add -PC -confProb 1000 0.5 -removal -improvement -prefix e");
  expectWellFormed("e_node_importances.txt");
  EXPECT_EQ(lines(file("e_link_importances_removal.txt")).size(), 1u);
  EXPECT_EQ(lines(file("e_link_importances_improvement.txt")).size(), 1u);
}

TEST_F(NumericEdges, TwoIdenticalNodesHaveTheSameImportances) {
  write("n.txt", "1\t10\n2\t10\n");
  write("c.txt", "1\t2\t0\n2\t1\t0\n");
  run("-nodeFile n.txt -conFile c.txt -A -NC -BC -IIC -PC -confAdj 100 -confProb 100 0.5 -prefix t");
  // Distance 0: probability 1 and a link; IICnum = 100 + 100 + 2·100/2.
  EXPECT_NE(file("overall_indices.txt").find("IICnum\t300\nEC(IIC)\t17.3205\nPCnum\t400\nEC(PC)\t20\n"),
            std::string::npos);
  const std::vector<std::string> rows = lines(file("t_node_importances.txt"));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].substr(1), rows[2].substr(1));
  EXPECT_EQ(rows[1], "1\t50\t10\t0\t0\t0\t66.6667\t33.3333\t33.3333\t0\t200\t100\t100\t0\t75\t25\t50\t0\t300\t100\t200\t0\t");
}

TEST_F(NumericEdges, ProbabilitiesOfExactlyZeroAndOne) {
  write("n.txt", "1\t10\n2\t20\n3\t30\n");
  write("c.txt", "2\t1\t1\n1\t2\t1\n3\t2\t0\n2\t3\t0\n");
  // A probability threshold of 1 links the pair whose probability is 1.
  run("-nodeFile n.txt -conFile c.txt -t prob -NL -IIC -PC -confAdj 1 -wlinks -wprobdir -wprobmax -prefix p");
  EXPECT_EQ(file("overall_indices.txt"),
            "NL\t1\nIICnum\t1600\nEC(IIC)\t40\nPCnum\t1800\nEC(PC)\t42.4264\nPCintra(%)\t77.7778\n"
            "PCdirect(%)\t22.2222\nPCstep(%)\t0\n");
  EXPECT_EQ(file("p_links.txt"), "2\t1\t1\n3\t1\t0\n3\t2\t0\n");
  EXPECT_EQ(file("p_direct_probabilities.txt"), "1\t2\t1\n1\t3\t0\n2\t1\t1\n2\t3\t0\n3\t1\t0\n3\t2\t0\n");
  EXPECT_EQ(file("p_maximum_product_probabilities.txt"), file("p_direct_probabilities.txt"));
  expectWellFormed("p_node_importances.txt");
}

TEST_F(NumericEdges, ValuesExactlyAtTheThresholdsCount) {
  write("n.txt", "1\t10\n2\t20\n3\t30\n");
  write("c.txt", kPath);
  // 100 is at the link threshold (a link) and at the probability distance
  // (probability 0.5 exactly); 200 is past the threshold and gets 0.25.
  run("-nodeFile n.txt -conFile c.txt -NL -PC -confAdj 100 -confProb 100 0.5 -wlinks -wprobdir -prefix d");
  EXPECT_EQ(file("d_links.txt"), "2\t1\t1\n3\t1\t0\n3\t2\t0\n");
  EXPECT_EQ(file("d_direct_probabilities.txt"), "1\t2\t0.5\n1\t3\t0\n2\t1\t0.5\n2\t3\t0.25\n3\t1\t0\n3\t2\t0.25\n");
  EXPECT_NE(file("overall_indices.txt").find("NL\t1\n"), std::string::npos);
}

TEST_F(NumericEdges, SureProbabilityAtTheGivenDistanceJoinsEveryPair) {
  write("n.txt", "1\t10\n2\t20\n3\t30\n");
  write("c.txt", kPath);
  // Probability 1 at 1000 m means no decay: every listed pair is sure, and
  // the pair that no line lists (1 and 3, direct probability 0) is joined
  // through 2 by a sure path, so PC = 1.
  run("-nodeFile n.txt -conFile c.txt -PC -confProb 1000 1 -landArea 60 -wprobmax -prefix q");
  // (How the pairs split between direct and stepping-stone paths depends on
  // which of the equally sure paths the search keeps.)
  EXPECT_EQ(file("overall_indices.txt").rfind("PCnum\t3600\nEC(PC)\t60\nPC\t1\nPCintra(%)\t38.8889\n", 0), 0u)
      << file("overall_indices.txt");
  EXPECT_EQ(file("q_maximum_product_probabilities.txt"), "1\t2\t1\n1\t3\t1\n2\t1\t1\n2\t3\t1\n3\t1\t1\n3\t2\t1\n");
}

TEST_F(NumericEdges, GainsFromNothingAreInfinite) {
  write("n.txt", "1\t10\n2\t20\n");
  write("c.txt", "2\t1\t0\n1\t2\t0\n");
  // F and AWF are 0 without any probability; making the link sure raises
  // them from 0, written as a loss of minus infinity.
  run("-nodeFile n.txt -conFile c.txt -t prob -NL -H -IIC -F -AWF -PC -confAdj 0.5 -improvement -prefix i");
  EXPECT_EQ(file("i_link_importances_improvement.txt"),
            "Node1\tNode2\tdNL\tdH\tdIIC\tdF\tdAWF\tdPC\t\n2\t1\t0\t0\t-40\t-inf\t-inf\t-80\t\n");
}

}  // namespace

}  // namespace verdalis
