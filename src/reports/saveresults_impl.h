#pragma once
// Definitions of the result-file writers. The text of each file comes from
// result_tables.h, result_lists.h and summary_lines.h. Files that describe one
// run are written to a temporary file and replace their earlier version only
// when complete; summary files receive each run's block with a single write.
#include <cerrno>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "reports/result_lists.h"
#include "reports/result_tables.h"
#include "reports/saveresults.h"
#include "reports/summary_lines.h"
#include "support/files.h"
#include "support/messages.h"

namespace verdalis {

namespace saveresultsDetail {

// Reports a result file that could not be written; the run goes on with the
// other files, and the count decides the exit status of the process.
inline void reportUnwritable(const std::string& file, int& failedFiles) {
  const int reason = errno;
  sayError("Cannot write the result file " + file);
  tellUser("Error: cannot write the result file " + file + (reason != 0 ? std::string(": ") + std::strerror(reason) : "") +
           ". Check that its folder exists and can be written, and that the disk has room.");
  ++failedFiles;
}

// Writes a file that describes one run. compose(out) writes its text; it runs
// only when the file could be opened, so nothing goes through a failed handle.
template <class T, class Compose>
void replaceFile(saveresults<T>& writer, const std::string& file, Compose compose) {
  wholeFileWriter target(file);
  if (target.isOpen()) compose(target.out());
  if (!target.isOpen() || !target.commit())
    reportUnwritable(file, writer.failedFiles);
  else
    writer.writtenFiles.push_back(file);
}

template <class T>
void appendFile(saveresults<T>& writer, const std::string& file, const std::string& text) {
  if (!appendToFile(file, text))
    reportUnwritable(file, writer.failedFiles);
  else
    writer.writtenFiles.push_back(file);
}

// The common steps of the ten summary writers. A writer whose index was not
// selected leaves the file alone: creating it empty would cost a later run
// its header line.
template <class T>
void appendSummary(saveresults<T>& writer, const std::string& file, bool selected,
                   const std::string& leadingHeader, const std::string& leadingCells,
                   const std::vector<summaryColumn>& columns) {
  if (!selected) return;
  const bool fileIsNew = !fileReadable(file);
  if (!fileIsNew && anyLineStartsWith(file, leadingCells)) writer.repeatedSummaries.push_back(file);
  appendFile(writer, file, summaryBlock(fileIsNew, leadingHeader, leadingCells, columns));
}

// The prefix, thresholds and index name of the first line of a block of
// overall indices: all of the line but its value.
inline std::string firstLineHead(const std::string& block) {
  const std::size_t end = block.find('\n');
  const std::size_t lastTab = block.rfind('\t', end);
  return lastTab == std::string::npos ? std::string() : block.substr(0, lastTab + 1);
}

}  // namespace saveresultsDetail

template <class T>
template <class Arg>
void saveresults<T>::ActionSaveGlobResExecute(quivaraProgram<T>* program, std::string file, Arg) {
  saveresultsDetail::replaceFile(*this, file,
                                 [program](std::ostream& out) { out << overallIndicesText(*program, "", ""); });
}

template <class T>
template <class Arg>
void saveresults<T>::ActionSaveAllGlobResExecute(quivaraProgram<T>* program, std::string file, Arg arg) {
  if (arg.prefix_name.empty()) return;
  const std::string binaryHead = binaryLineHead(arg.prefix_name, arg.adjacentTail, arg.kDistanceProb);
  const std::string probabilisticHead = probabilisticLineHead(arg.prefix_name, arg.kDistanceProb, arg.kProbProb);
  const std::string block = overallIndicesText(*program, binaryHead, probabilisticHead);
  const std::string head = saveresultsDetail::firstLineHead(block);
  if (!head.empty() && anyLineStartsWith(file, head)) repeatedSummaries.push_back(file);
  saveresultsDetail::appendFile(*this, file, block);
}

template <class T>
void saveresults<T>::ActionWriteTXT_EC_PC_Execute(quivaraProgram<T>* program, std::string file,
                                                  std::string prefix_name, float kdistance, float kprob,
                                                  bool distancies) {
  if (prefix_name.empty()) return;
  saveresultsDetail::appendSummary(*this, file, program->solvePC(), pcLeading::header(),
                                   pcLeading::cells(prefix_name, kdistance, kprob, distancies),
                                   {{"EC(PC)", program->valueOfPCEC()}});
}

template <class T>
void saveresults<T>::ActionWriteTXT_EC_IIC_Execute(quivaraProgram<T>* program, std::string file,
                                                   std::string prefix_name, float adjacentTail,
                                                   bool distancies) {
  if (prefix_name.empty()) return;
  saveresultsDetail::appendSummary(*this, file, program->solveIIC(), iicLeading::header(distancies),
                                   iicLeading::cells(prefix_name, adjacentTail),
                                   {{"EC(IIC)", program->valueOfIICEC()}});
}

template <class T>
void saveresults<T>::ActionWriteTXTExecute(quivaraProgram<T>* program, std::string file) {
  saveresultsDetail::replaceFile(*this, file, [program](std::ostream& out) {
    out << nodeTableHeader(*program);
    putNodeRows(out, *program);
  });
}

template <class T>
void saveresults<T>::ActionWriteTXT_PC_Sum_Execute(quivaraProgram<T>* program, std::string file,
                                                   std::string prefix_name, float kdistance, float kprob,
                                                   bool distancies) {
  const bool selected = program->solvePC();
  std::vector<summaryColumn> columns;
  if (selected) {
    columns = {{"Sum_dPC", program->valueOfSumdPC()},
               {"Sum_dPCintra", program->valueOfSumdPCintra()},
               {"Sum_dPCflux", program->valueOfSumdPCflux()},
               {"Sum_dPCconnector", program->valueOfSumdPCconnector()}};
  }
  saveresultsDetail::appendSummary(*this, file, selected, pcLeading::header(),
                                   pcLeading::cells(prefix_name, kdistance, kprob, distancies), columns);
}

template <class T>
void saveresults<T>::ActionWriteTXT_IIC_Sum_Execute(quivaraProgram<T>* program, std::string file,
                                                    std::string prefix_name, float adjacentTail,
                                                    bool distancies) {
  const bool selected = program->solveIIC();
  std::vector<summaryColumn> columns;
  if (selected) {
    columns = {{"Sum_dIIC", program->valueOfSumdIIC()},
               {"Sum_dIICintra", program->valueOfSumdIICintra()},
               {"Sum_dIICflux", program->valueOfSumdIICflux()},
               {"Sum_dIICconnector", program->valueOfSumdIICconnector()}};
  }
  saveresultsDetail::appendSummary(*this, file, selected, iicLeading::header(distancies),
                                   iicLeading::cells(prefix_name, adjacentTail), columns);
}

template <class T>
void saveresults<T>::ActionSaveTXTResConSureExecute(quivaraProgram<T>* program, std::string file) {
  saveresultsDetail::replaceFile(*this, file,
                                 [program](std::ostream& out) { putLinkTable(out, *program, linkFamily::improvement); });
}

template <class T>
void saveresults<T>::ActionWriteTXT_ResConSure_PC_Sum_Execute(quivaraProgram<T>* program, std::string file,
                                                              std::string prefix_name, float kdistance,
                                                              float kprob, bool distancies) {
  const bool selected = program->solvePC();
  saveresultsDetail::appendSummary(*this, file, selected, pcLeading::header(),
                                   pcLeading::cells(prefix_name, kdistance, kprob, distancies),
                                   {{"link_improvement_sum_dPC", selected ? program->valueOfConSureSumdPC() : 0}});
}

template <class T>
void saveresults<T>::ActionWriteTXT_ResConSure_IIC_Sum_Execute(quivaraProgram<T>* program, std::string file,
                                                               std::string prefix_name, float adjacentTail,
                                                               bool distancies) {
  const bool selected = program->solveIIC();
  saveresultsDetail::appendSummary(
      *this, file, selected, iicLeading::header(distancies), iicLeading::cells(prefix_name, adjacentTail),
      {{"link_improvement_sum_dIIC", selected ? program->valueOfConSureSumdIIC() : 0}});
}

template <class T>
void saveresults<T>::ActionSaveTXTResConExecute(quivaraProgram<T>* program, std::string file) {
  saveresultsDetail::replaceFile(*this, file,
                                 [program](std::ostream& out) { putLinkTable(out, *program, linkFamily::removal); });
}

template <class T>
void saveresults<T>::ActionWriteTXT_ResCon_PC_Sum_Execute(quivaraProgram<T>* program, std::string file,
                                                          std::string prefix_name, float kdistance, float kprob,
                                                          bool distancies) {
  const bool selected = program->solvePC();
  saveresultsDetail::appendSummary(*this, file, selected, pcLeading::header(),
                                   pcLeading::cells(prefix_name, kdistance, kprob, distancies),
                                   {{"links_removal_sum_dPC", selected ? program->valueOfConSumdPC() : 0}});
}

template <class T>
void saveresults<T>::ActionWriteTXT_ResCon_IIC_Sum_Execute(quivaraProgram<T>* program, std::string file,
                                                           std::string prefix_name, float adjacentTail,
                                                           bool distancies) {
  const bool selected = program->solveIIC();
  saveresultsDetail::appendSummary(*this, file, selected, iicLeading::header(distancies),
                                   iicLeading::cells(prefix_name, adjacentTail),
                                   {{"links_removal_sum_dIIC", selected ? program->valueOfConSumdIIC() : 0}});
}

template <class T>
void saveresults<T>::ActionSaveTXTResConDiffExecute(quivaraProgram<T>* program, std::string file) {
  saveresultsDetail::replaceFile(*this, file,
                                 [program](std::ostream& out) { putLinkTable(out, *program, linkFamily::change); });
}

template <class T>
void saveresults<T>::ActionWriteTXT_ResConDiff_PC_Sum_Execute(quivaraProgram<T>* program, std::string file,
                                                              std::string prefix_name, float kdistance,
                                                              float kprob, bool distancies) {
  const bool selected = program->solvePC();
  saveresultsDetail::appendSummary(*this, file, selected, pcLeading::header(),
                                   pcLeading::cells(prefix_name, kdistance, kprob, distancies),
                                   {{"link_change_sum_dPC", selected ? program->valueOfConDiffSumdPC() : 0}});
}

template <class T>
void saveresults<T>::ActionWriteTXT_ResConDiff_IIC_Sum_Execute(quivaraProgram<T>* program, std::string file,
                                                               std::string prefix_name, float adjacentTail,
                                                               bool distancies) {
  const bool selected = program->solveIIC();
  saveresultsDetail::appendSummary(*this, file, selected, iicLeading::header(distancies),
                                   iicLeading::cells(prefix_name, adjacentTail),
                                   {{"link_change_sum_dIIC", selected ? program->valueOfConDiffSumdIIC() : 0}});
}

template <class T>
void saveresults<T>::ActionSaveCompTXTExecute(quivaraProgram<T>* program, std::string file) {
  saveresultsDetail::replaceFile(*this, file, [program](std::ostream& out) { putComponents(out, *program); });
}

template <class T>
void saveresults<T>::ActionSaveAdjacenciesExecute(quivaraProgram<T>* program, std::string file) {
  saveresultsDetail::replaceFile(*this, file, [program](std::ostream& out) { putLinks(out, *program); });
}

template <class T>
void saveresults<T>::ActionSaveProbabilitiesExecute(quivaraProgram<T>* program, std::string file) {
  saveresultsDetail::replaceFile(*this, file,
                                 [program](std::ostream& out) { putProbabilities(out, *program, false); });
}

template <class T>
void saveresults<T>::ActionSaveProbMaxExecute(quivaraProgram<T>* program, std::string file) {
  saveresultsDetail::replaceFile(*this, file,
                                 [program](std::ostream& out) { putProbabilities(out, *program, true); });
}

}  // namespace verdalis
