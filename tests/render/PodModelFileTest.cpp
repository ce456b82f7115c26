#include "render/PodBox.h"

#include "PodFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The box's mesh checks judge every mesh of a model file, not the first
// alone, without GL: a model drawn in part is one the game cannot show as
// made. Files the reader refuses are the bundle check's tests.
TEST(PodModelFileTest, EveryMeshOfAModelIsJudgedByTheBoxsChecks) {
    TempFolder folder;
    const std::string path = folder.file("model.pod");
    const float low[3] = {0, 0, 0};
    const float high[3] = {1, 1, 1};
    const PodWriter::Mesh good = PodFixtures::box(low, high);
    PodWriter::Mesh bad = good;
    bad.faces.data[4] = 8; // past the box's eight corners
    ASSERT_TRUE(PodWriter::writeFile(path, PodWriter::write(PodWriter::meshScene({good, bad}, "pair"))));
    EXPECT_EQ(ZQ::PodBox::refuseModelFile(path), "mesh 1: a face index past the vertices");
    ASSERT_TRUE(PodWriter::writeFile(path, PodWriter::write(PodWriter::meshScene({}, "empty"))));
    EXPECT_EQ(ZQ::PodBox::refuseModelFile(path), "no mesh to draw");
}

} // namespace
