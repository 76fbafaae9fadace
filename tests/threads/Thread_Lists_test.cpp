#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ThreadTestSupport.h"
#include "threads/Thread_ObjectList.h"
#include "threads/Thread_StringList.h"

namespace {

using threads_test::Journal;
using threads_test::NamedItem;

using Names = std::vector<std::string>;

TEST(ObjectList, OwningListFreesWhatItDeletesRemovesAndHolds) {
  auto journal = std::make_shared<Journal>();
  auto* a = new NamedItem(journal, "a");
  auto* b = new NamedItem(journal, "b");
  {
    TObjectList list(true);
    for (TObject* item : std::initializer_list<TObject*>{a, b, new NamedItem(journal, "c")}) {
      list.Add(item);
    }
    list.Add(new threads_test::FailingItem());
    list.Add(new NamedItem(journal, "e"));
    EXPECT_EQ(list.Remove(b), 1);
    EXPECT_EQ(list.Remove(b), -1);
    list.Delete(0);
    EXPECT_THROW(list.Delete(3), std::out_of_range);
    EXPECT_EQ(list.Count(), 3);
  }
  // The failing destructor did not stop the others.
  EXPECT_EQ(journal->Entries(), (Names{"free b", "free a", "free e", "free c"}));

  NamedItem kept(journal, "kept");
  TThreadObjectList notOwning(false);
  notOwning.Add(&kept);
  notOwning.Clear();
  EXPECT_EQ(journal->Entries().size(), 4u);
}

TEST(ThreadObjectList, HolderOfTheListLockMayCountAndAdd) {
  auto journal = std::make_shared<Journal>();
  auto list = std::make_shared<TThreadObjectList>(true);
  auto count = std::make_shared<int32_t>(0);
  auto done = threads_test::RunAsync([list, journal, count] {
    TObjectList* locked = list->LockList();
    list->Add(new NamedItem(journal, "a"));
    locked->Add(new NamedItem(journal, "b"));
    *count = list->Count();
    list->Unlock();
  });
  ASSERT_TRUE(threads_test::Finishes(done));
  EXPECT_EQ(*count, 2);
  list->Clear();
  EXPECT_EQ(journal->Entries(), (Names{"free b", "free a"}));
}

TEST(ThreadStringList, WriterMayCountAndEntriesKeepTheirValues) {
  TThreadStringList strings;
  {
    TWriteGuard<TThreadStringList> writing(strings);
    writing->push_back({"line", 1});
    writing->push_back({"line", 2});
    EXPECT_EQ(strings.Count(), 2);
  }
  TReadGuard<TThreadStringList> reading(strings);
  EXPECT_EQ((*reading)[1].Data, 2);
}

}  // namespace
