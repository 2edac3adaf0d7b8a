#pragma once
// The result-file writers of a run. Each operation composes its text, opens
// its file, writes and closes it. A file that cannot be written is reported
// and skipped; failedFiles counts them for the process exit status, and
// writtenFiles names the others for the closing summary of the run.
#include <string>
#include <vector>

#include "program/quivaraProgram.h"

namespace verdalis {

template <class T>
class saveresults {
 public:
  int failedFiles = 0;
  std::vector<std::string> writtenFiles;
  // Summary files that already held a line of the same prefix and
  // thresholds before this run appended its own.
  std::vector<std::string> repeatedSummaries;

  // Arg is the command-line record of the run (prefix and thresholds).
  template <class Arg>
  void ActionSaveGlobResExecute(quivaraProgram<T>* program, std::string file, Arg arg);
  template <class Arg>
  void ActionSaveAllGlobResExecute(quivaraProgram<T>* program, std::string file, Arg arg);

  void ActionWriteTXT_EC_PC_Execute(quivaraProgram<T>* program, std::string file, std::string prefix_name,
                                    float kdistance, float kprob, bool distancies);
  void ActionWriteTXT_EC_IIC_Execute(quivaraProgram<T>* program, std::string file, std::string prefix_name,
                                     float adjacentTail, bool distancies);
  void ActionWriteTXTExecute(quivaraProgram<T>* program, std::string file);
  void ActionWriteTXT_PC_Sum_Execute(quivaraProgram<T>* program, std::string file, std::string prefix_name,
                                     float kdistance, float kprob, bool distancies);
  void ActionWriteTXT_IIC_Sum_Execute(quivaraProgram<T>* program, std::string file, std::string prefix_name,
                                      float adjacentTail, bool distancies);
  void ActionSaveTXTResConSureExecute(quivaraProgram<T>* program, std::string file);
  void ActionWriteTXT_ResConSure_PC_Sum_Execute(quivaraProgram<T>* program, std::string file,
                                                std::string prefix_name, float kdistance, float kprob,
                                                bool distancies);
  void ActionWriteTXT_ResConSure_IIC_Sum_Execute(quivaraProgram<T>* program, std::string file,
                                                 std::string prefix_name, float adjacentTail, bool distancies);
  void ActionSaveTXTResConExecute(quivaraProgram<T>* program, std::string file);
  void ActionWriteTXT_ResCon_PC_Sum_Execute(quivaraProgram<T>* program, std::string file,
                                            std::string prefix_name, float kdistance, float kprob,
                                            bool distancies);
  void ActionWriteTXT_ResCon_IIC_Sum_Execute(quivaraProgram<T>* program, std::string file,
                                             std::string prefix_name, float adjacentTail, bool distancies);
  void ActionSaveTXTResConDiffExecute(quivaraProgram<T>* program, std::string file);
  void ActionWriteTXT_ResConDiff_PC_Sum_Execute(quivaraProgram<T>* program, std::string file,
                                                std::string prefix_name, float kdistance, float kprob,
                                                bool distancies);
  void ActionWriteTXT_ResConDiff_IIC_Sum_Execute(quivaraProgram<T>* program, std::string file,
                                                 std::string prefix_name, float adjacentTail, bool distancies);
  void ActionSaveCompTXTExecute(quivaraProgram<T>* program, std::string file);
  void ActionSaveAdjacenciesExecute(quivaraProgram<T>* program, std::string file);
  void ActionSaveProbabilitiesExecute(quivaraProgram<T>* program, std::string file);
  void ActionSaveProbMaxExecute(quivaraProgram<T>* program, std::string file);
};

}  // namespace verdalis

#include "reports/saveresults_impl.h"
