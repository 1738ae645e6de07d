// Course platforms' exports: whose is each entry, which attempt is taken.
#include "batch/course_platforms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/repeats.h"

namespace {

using batch::TopEntry;

TEST(CoursePlatforms, AnExportIsToldApartByStudent) {
  EXPECT_EQ("Ann Lee_101", batch::student_of("Ann Lee_101_assignsubmission_file_main.c"));
  EXPECT_EQ("Ann Lee_101", batch::student_of("Ann Lee_101_assignsubmission_file_"));
  EXPECT_EQ("Ann Lee_101", batch::student_of("Ann Lee_101_assignsubmission_onlinetext_x.html"));
  EXPECT_EQ("main.c", batch::student_of("main.c"));
  EXPECT_EQ("_assignsubmission_file_main.c",
            batch::student_of("_assignsubmission_file_main.c"));  // no one's name before it
  EXPECT_EQ("HW3_jsmith", batch::student_of("HW3_jsmith_attempt_2023-10-09-21-30-05_main.c"));
  EXPECT_EQ("HW3_jsmith", batch::student_of("HW3_jsmith_attempt_2023-10-09-21-30-05.txt"));
  EXPECT_EQ("my_attempt_2.c", batch::student_of("my_attempt_2.c"));
  EXPECT_EQ("x_attempt_2023-10-09.c", batch::student_of("x_attempt_2023-10-09.c"));
}

TEST(CoursePlatforms, AnAttemptIsToldByItsStamp) {
  EXPECT_EQ("2023-10-09-21-30-05",
            batch::attempt_of("HW3_jsmith_attempt_2023-10-09-21-30-05_main.c"));
  EXPECT_EQ("2023-10-09-21-30-05", batch::attempt_of("HW3_jsmith_attempt_2023-10-09-21-30-05.txt"));
  EXPECT_EQ("", batch::attempt_of("x_attempt_2023-10-09.c"));
  EXPECT_EQ("", batch::attempt_of("main.c"));
  EXPECT_EQ("", batch::attempt_of("Ann_1_assignsubmission_file_a_attempt_2023-10-09-21-30-05.c"));
}

// One student, one submission: the entries of the latest attempt, whatever
// order they lie in; a file and a folder of one name are two students.
TEST(CoursePlatforms, StudentsAreTheirLatestAttempts) {
  const std::vector<TopEntry> entries = {
      {"HW3_bob_attempt_2023-10-10-10-00-00_main.c", false},  // 0
      {"HW3_bob_attempt_2023-10-09-08-00-00_main.c", false},  // 1: earlier
      {"HW3_ann_attempt_2023-10-08-00-00-00.txt", false},     // 2
      {"HW3_bob_attempt_2023-10-10-10-00-00_util.c", false},  // 3
      {"HW3_bob_attempt_2023-10-09-08-00-00.txt", false},     // 4: earlier
      {"cy.c", false},                                        // 5
      {"cy.c", true},                                         // 6
      {"Dan_4_assignsubmission_file_", true},                 // 7
      {"Dan_4_assignsubmission_file_main.c", false},          // 8
      {"eve", true}};                                         // 9
  const auto students = batch::students_of(entries);
  ASSERT_EQ(6u, students.size());
  const auto& bob = students.at("HW3_bob");
  EXPECT_EQ((std::vector<std::size_t>{0, 3}), bob.entries);
  EXPECT_EQ((std::vector<std::size_t>{1, 4}), bob.earlier);
  EXPECT_EQ("2023-10-10-10-00-00", bob.latest);
  EXPECT_EQ((std::vector<std::size_t>{2}), students.at("HW3_ann").entries);
  EXPECT_TRUE(students.at("HW3_ann").earlier.empty());
  EXPECT_EQ((std::vector<std::size_t>{5}), students.at("cy.c").entries);
  EXPECT_EQ((std::vector<std::size_t>{6}), students.at("cy.c/").entries);
  EXPECT_EQ((std::vector<std::size_t>{7, 8}), students.at("Dan_4").entries);
  EXPECT_EQ((std::vector<std::size_t>{9}), students.at("eve").entries);
  EXPECT_EQ("", students.at("eve").latest);
}

// The rule both an archive's repeated names and a student's attempts go by.
TEST(CoursePlatforms, OfVersionsOfOneNameTheLatestAreKept) {
  const std::vector<std::string> names = {"a", "b", "a", "a", "c", "b"};
  const std::vector<int> when = {1, 5, 3, 3, 0, 2};
  const std::vector<bool> earlier = batch::earlier_versions(
      names.size(), [&](std::size_t k) { return names[k]; },
      [&](std::size_t k) { return when[k]; });
  EXPECT_EQ((std::vector<bool>{true, false, false, false, false, true}), earlier);
  EXPECT_TRUE(batch::earlier_versions(
                  0, [](std::size_t) { return 0; }, [](std::size_t) { return 0; })
                  .empty());
}

}  // namespace
