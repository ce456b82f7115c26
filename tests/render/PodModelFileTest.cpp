#include "render/PodBox.h"

#include "PodFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ZQ::PodBox;

// A model file judged without GL by the rules the box loads it by: the file
// the reader takes, and every mesh the box would upload. A model drawn in
// part is a model the game cannot show as made.
TEST(PodModelFileTest, AModelIsJudgedByTheReaderAndTheBoxsMeshChecks) {
    TempFolder folder;
    const std::string path = folder.file("model.pod");
    const float low[3] = {0, 0, 0};
    const float high[3] = {1, 1, 1};
    const PodWriter::Mesh good = PodFixtures::box(low, high);
    ASSERT_TRUE(PodWriter::writeFile(path, PodWriter::write(PodWriter::meshScene({good, good}, "pair"))));
    EXPECT_EQ(PodBox::refuseModelFile(path), "");

    PodWriter::Mesh bad = good;
    bad.faces.data[4] = 8; // past the box's eight corners
    ASSERT_TRUE(PodWriter::writeFile(path, PodWriter::write(PodWriter::meshScene({good, bad}, "pair"))));
    EXPECT_EQ(PodBox::refuseModelFile(path), "mesh 1: a face index past the vertices");

    ASSERT_TRUE(PodWriter::writeFile(path, PodWriter::write(PodWriter::meshScene({}, "empty"))));
    EXPECT_EQ(PodBox::refuseModelFile(path), "no mesh to draw");

    std::vector<uint8_t> cut = PodWriter::write(PodWriter::meshScene({good}, "cut"));
    cut.resize(cut.size() - 1);
    ASSERT_TRUE(PodWriter::writeFile(path, cut));
    EXPECT_EQ(PodBox::refuseModelFile(path), "the model reader refuses it: cut short, or not a model file");
    EXPECT_EQ(PodBox::refuseModelFile(folder.file("none.pod")),
              "the model reader refuses it: cut short, or not a model file");
}

} // namespace
