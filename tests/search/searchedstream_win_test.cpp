#include "search/searchedstream.h"

#include <gtest/gtest.h>

#include <string>

#include "classlib/exceptions.h"
#include "classlib/streams.h"

namespace {

// A thread that is never started; only its terminate flag is used.
class TIdleThread : public TThread {
public:
  TIdleThread() : TThread(true) {}

protected:
  void Execute() override {}
};

}  // namespace

// Once the search is told to terminate, the next read raises EAbort and
// reads nothing more from the file.
TEST(SearchedStream, ReadAfterTerminateAbandonsTheSourceAtOnce) {
  TStringStream source(std::string(1 << 20, 'x'));
  TIdleThread thread;
  TSearchedStream stream(source, thread);
  char block[65536];
  EXPECT_EQ(stream.Read(block, sizeof block), 65536);
  thread.Terminate();
  EXPECT_THROW(stream.Read(block, sizeof block), EAbort);
  EXPECT_EQ(source.Position(), 65536);
}

// Seeking to where the stream stands asks nothing of the source; any other
// seek reaches it.
TEST(SearchedStream, RewindToTheCurrentPlaceStaysHere) {
  TStringStream source("0123456789");
  TIdleThread thread;
  TSearchedStream stream(source, thread);
  EXPECT_EQ(stream.Seek(0, soBeginning), 0);
  char bytes[4];
  EXPECT_EQ(stream.Read(bytes, 4), 4);
  source.SetPosition(9);  // so a seek that reached the source would show
  EXPECT_EQ(stream.Seek(0, soCurrent), 4);
  EXPECT_EQ(source.Position(), 9);
  EXPECT_EQ(stream.Seek(2, soBeginning), 2);
  EXPECT_EQ(source.Position(), 2);
}
