#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ddscxx/dds.hpp"
#include "ddscxx/support/loopback.hpp"
#include "quorvel_kesh/msg/dds_/LowCmd_.hpp"

namespace {

using quorvel_kesh::msg::dds_::LowCmd_;
using ddscxx_test::LoopbackParticipant;
using ddscxx_test::WaitFor;
namespace policy = dds::core::policy;

LowCmd_ MakeCommand(uint32_t stamp) {
  LowCmd_ command;
  command.sn()[1] = stamp;
  command.motor_cmd()[11].q() = 0.25f * static_cast<float>(stamp);
  command.wireless_remote()[39] = 7;
  command.crc() = stamp ^ 0xa5a5a5a5u;
  return command;
}

void ExpectCommand(const LowCmd_& command, uint32_t stamp) {
  EXPECT_EQ(command.sn()[1], stamp);
  EXPECT_EQ(command.motor_cmd()[11].q(), 0.25f * static_cast<float>(stamp));
  EXPECT_EQ(command.wireless_remote()[39], 7);
  EXPECT_EQ(command.crc(), stamp ^ 0xa5a5a5a5u);
}

dds::pub::qos::DataWriterQos KeepAllWriterQos() {
  dds::pub::qos::DataWriterQos qos;
  qos << policy::Reliability(policy::ReliabilityKind::RELIABLE, dds::core::Duration(10, 0))
      << policy::History(policy::HistoryKind::KEEP_ALL);
  return qos;
}

dds::sub::qos::DataReaderQos KeepAllReaderQos() {
  dds::sub::qos::DataReaderQos qos;
  qos << policy::Reliability(policy::ReliabilityKind::RELIABLE) << policy::History(policy::HistoryKind::KEEP_ALL);
  return qos;
}

class EntityTest : public ::testing::Test {
 protected:
  // Takes until `count` valid samples arrived (or the wait ends) and returns their stamps.
  static std::vector<uint32_t> TakeStamps(dds::sub::DataReader<LowCmd_>& reader, size_t count) {
    std::vector<uint32_t> stamps;
    WaitFor([&] {
      for (const auto& sample : reader.take()) {
        if (sample.info().valid()) {
          ExpectCommand(sample.data(), sample.data().sn()[1]);
          stamps.push_back(sample.data().sn()[1]);
        }
      }
      return stamps.size() >= count;
    });
    return stamps;
  }

  dds::domain::DomainParticipant participant_ = LoopbackParticipant(81);
  dds::pub::Publisher publisher_{participant_, participant_.default_publisher_qos()};
  dds::sub::Subscriber subscriber_{participant_, participant_.default_subscriber_qos()};
  dds::topic::Topic<LowCmd_> topic_{participant_, "ddscxx_entity_test", participant_.default_topic_qos()};
};

TEST_F(EntityTest, WrittenSampleIsTakenWithItsData) {
  dds::sub::DataReader<LowCmd_> reader(subscriber_, topic_, KeepAllReaderQos());
  dds::pub::DataWriter<LowCmd_> writer(publisher_, topic_, KeepAllWriterQos());
  ASSERT_TRUE(WaitFor([&] { return writer.publication_matched_status().current_count() == 1; }));

  writer.write(MakeCommand(42));

  EXPECT_EQ(TakeStamps(reader, 1), std::vector<uint32_t>{42});
  EXPECT_EQ(reader.take().length(), 0u);
}

// One take loans at most a fixed batch from the library; more samples than that must
// all arrive, in order, from a single take().
TEST_F(EntityTest, OneTakeReturnsEverySampleAcrossLoanBatches) {
  dds::sub::DataReader<LowCmd_> reader(subscriber_, topic_, KeepAllReaderQos());
  dds::pub::DataWriter<LowCmd_> writer(publisher_, topic_, KeepAllWriterQos());
  ASSERT_TRUE(WaitFor([&] { return writer.publication_matched_status().current_count() == 1; }));
  const uint32_t kCount = 150;
  for (uint32_t stamp = 0; stamp < kCount; ++stamp) {
    writer.write(MakeCommand(stamp));
  }

  std::vector<uint32_t> stamps;
  auto samples = reader.take();
  for (const auto& sample : samples) {
    stamps.push_back(sample.data().sn()[1]);
  }
  ASSERT_EQ(stamps.size(), kCount);
  for (uint32_t stamp = 0; stamp < kCount; ++stamp) {
    EXPECT_EQ(stamps[stamp], stamp);
  }
}

TEST_F(EntityTest, PublicationMatchedCountFollowsTheReader) {
  dds::pub::DataWriter<LowCmd_> writer(publisher_, topic_, publisher_.default_datawriter_qos());
  EXPECT_EQ(writer.publication_matched_status().current_count(), 0);

  dds::sub::DataReader<LowCmd_> reader(subscriber_, topic_, subscriber_.default_datareader_qos());
  EXPECT_TRUE(WaitFor([&] { return writer.publication_matched_status().current_count() == 1; }));

  reader = dds::core::null;
  EXPECT_TRUE(WaitFor([&] { return writer.publication_matched_status().current_count() == 0; }));
}

// Records what on_data_available saw; the test thread waits for it.
class RecordingListener : public dds::sub::NoOpDataReaderListener<LowCmd_> {
 public:
  void on_data_available(dds::sub::DataReader<LowCmd_>& reader) override {
    std::lock_guard<std::mutex> lock(mutex_);
    calling_threads_.push_back(std::this_thread::get_id());
    for (const auto& sample : reader.take()) {
      if (sample.info().valid()) {
        stamps_.push_back(sample.data().sn()[1]);
      }
    }
    changed_.notify_all();
  }

  bool WaitForStamps(size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return stamps_.size() >= count; });
  }
  std::vector<uint32_t> Stamps() {
    std::lock_guard<std::mutex> lock(mutex_);
    return stamps_;
  }
  std::vector<std::thread::id> CallingThreads() {
    std::lock_guard<std::mutex> lock(mutex_);
    return calling_threads_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<uint32_t> stamps_;
  std::vector<std::thread::id> calling_threads_;
};

TEST_F(EntityTest, ListenerTakesValidSampleOffTheCallersThreadUntilRemoved) {
  RecordingListener listener;
  dds::sub::DataReader<LowCmd_> reader(subscriber_, topic_, KeepAllReaderQos(), &listener,
                                       dds::core::status::StatusMask::data_available());
  dds::pub::DataWriter<LowCmd_> writer(publisher_, topic_, KeepAllWriterQos());
  ASSERT_TRUE(WaitFor([&] { return writer.publication_matched_status().current_count() == 1; }));

  std::thread producer([&] { writer.write(MakeCommand(7)); });
  producer.join();

  ASSERT_TRUE(listener.WaitForStamps(1));
  EXPECT_EQ(listener.Stamps(), std::vector<uint32_t>{7});
  for (const auto& thread : listener.CallingThreads()) {
    EXPECT_NE(thread, std::this_thread::get_id());
  }

  // Without a listener the next sample stays in the reader for take().
  reader.listener(nullptr, dds::core::status::StatusMask::none());
  writer.write(MakeCommand(8));
  EXPECT_EQ(TakeStamps(reader, 1), std::vector<uint32_t>{8});
  EXPECT_EQ(listener.Stamps(), std::vector<uint32_t>{7});
}

// A sample from another process arrives on a receive thread of the library, which calls
// the listener. The test binary runs itself again as that other process.
const char kRemoteWriterVariable[] = "DDSCXX_TEST_REMOTE_WRITER";
const uint32_t kRemoteDomain = 87;
const char kRemoteTopic[] = "ddscxx_remote_test";
const uint32_t kRemoteStamp = 99;
// Two processes on lo find each other by unicast discovery, as lo has no multicast.
const char kTwoProcessConfig[] =
    "<CycloneDDS><Domain Id=\"any\"><General><Interfaces><NetworkInterface name=\"lo\"/></Interfaces>"
    "<AllowMulticast>false</AllowMulticast></General><Discovery><ParticipantIndex>auto</ParticipantIndex>"
    "<Peers><Peer address=\"127.0.0.1\"/></Peers></Discovery></Domain></CycloneDDS>";

dds::domain::DomainParticipant TwoProcessParticipant() {
  return dds::domain::DomainParticipant(kRemoteDomain, dds::domain::DomainParticipant::default_participant_qos(),
                                        nullptr, dds::core::status::StatusMask::none(), kTwoProcessConfig);
}

// The other process: writes every 10 ms while a reader is matched; ends with 0 when the
// reader goes, with 1 when none matched within 30 s.
int RunRemoteWriter() {
  auto participant = TwoProcessParticipant();
  dds::pub::Publisher publisher(participant);
  dds::topic::Topic<LowCmd_> topic(participant, kRemoteTopic);
  dds::pub::DataWriter<LowCmd_> writer(publisher, topic, KeepAllWriterQos());
  bool matched = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    const bool reader_present = writer.publication_matched_status().current_count() > 0;
    if (matched && !reader_present) {
      return 0;
    }
    matched = matched || reader_present;
    if (reader_present) {
      writer.write(MakeCommand(kRemoteStamp));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return 1;
}

// Runs before main in the re-run process only, and ends it there.
const bool kIsRemoteWriter = [] {
  if (std::getenv(kRemoteWriterVariable) == nullptr) {
    return false;
  }
  std::exit(RunRemoteWriter());
}();

pid_t SpawnRemoteWriter() {
  std::vector<std::string> environment{std::string(kRemoteWriterVariable) + "=1"};
  for (char** entry = environ; *entry != nullptr; ++entry) {
    environment.emplace_back(*entry);
  }
  std::vector<char*> envp;
  for (auto& entry : environment) {
    envp.push_back(entry.data());
  }
  envp.push_back(nullptr);
  char program[] = "/proc/self/exe";
  char* argv[] = {program, nullptr};
  pid_t child = -1;
  return posix_spawn(&child, program, nullptr, nullptr, argv, envp.data()) == 0 ? child : -1;
}

// Waits up to 20 s for the child to end, then kills it; returns its exit status or -1.
int AwaitChild(pid_t child) {
  int status = 0;
  for (int i = 0; i < 2000; ++i) {
    if (waitpid(child, &status, WNOHANG) == child) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(child, SIGKILL);
  waitpid(child, &status, 0);
  return -1;
}

TEST(RemoteWriterTest, ListenerGetsTheRemoteSampleOnALibraryThread) {
  ASSERT_FALSE(kIsRemoteWriter);
  RecordingListener listener;
  auto participant = TwoProcessParticipant();
  dds::sub::Subscriber subscriber(participant);
  dds::topic::Topic<LowCmd_> topic(participant, kRemoteTopic);
  dds::sub::DataReader<LowCmd_> reader(subscriber, topic, KeepAllReaderQos(), &listener,
                                       dds::core::status::StatusMask::data_available());
  const pid_t child = SpawnRemoteWriter();
  ASSERT_GT(child, 0);

  const bool received = listener.WaitForStamps(1);
  reader = dds::core::null;
  EXPECT_EQ(AwaitChild(child), 0);

  ASSERT_TRUE(received);
  EXPECT_EQ(listener.Stamps()[0], kRemoteStamp);
  // This test starts no thread of its own: any other thread is the library's.
  for (const auto& thread : listener.CallingThreads()) {
    EXPECT_NE(thread, std::this_thread::get_id());
  }
}

// Blocks inside on_data_available until released.
class BlockingListener : public dds::sub::NoOpDataReaderListener<LowCmd_> {
 public:
  void on_data_available(dds::sub::DataReader<LowCmd_>& reader) override {
    reader.take();
    std::unique_lock<std::mutex> lock(mutex_);
    entered_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return released_; });
  }
  bool WaitEntered() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return entered_; });
  }
  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool entered_ = false;
  bool released_ = false;
};

// The listener may be destroyed once it is removed, so removal must wait for a call
// still running.
TEST_F(EntityTest, RemovingTheListenerWaitsForTheCallInProgress) {
  BlockingListener listener;
  dds::sub::DataReader<LowCmd_> reader(subscriber_, topic_, KeepAllReaderQos(), &listener,
                                       dds::core::status::StatusMask::data_available());
  dds::pub::DataWriter<LowCmd_> writer(publisher_, topic_, KeepAllWriterQos());
  ASSERT_TRUE(WaitFor([&] { return writer.publication_matched_status().current_count() == 1; }));
  std::thread producer([&] { writer.write(MakeCommand(5)); });
  const bool entered = listener.WaitEntered();

  std::atomic<bool> removed{false};
  std::thread remover([&] {
    reader.listener(nullptr, dds::core::status::StatusMask::none());
    removed = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const bool removed_while_running = removed.load();
  listener.Release();
  remover.join();
  producer.join();

  ASSERT_TRUE(entered);
  EXPECT_FALSE(removed_while_running);
}

TEST_F(EntityTest, ListenerForUnbridgedStatusIsUnsupported) {
  RecordingListener listener;
  dds::sub::DataReader<LowCmd_> reader(subscriber_, topic_);
  EXPECT_THROW(reader.listener(&listener, dds::core::status::StatusMask::subscription_matched()),
               dds::core::UnsupportedError);
}

enum Handle { kParticipant, kPublisher, kSubscriber, kTopic, kWriter, kReader };

struct DropOrder {
  const char* name;
  std::vector<Handle> order;
};

// Handles go in any order: no crash, the survivors keep working, and the C entities
// (participant included) are gone once the last handle is; the sanitizer build checks
// that nothing leaks.
TEST(EntityLifetimeTest, HandlesDroppedInAnyOrderReleaseEverything) {
  const DropOrder kOrders[] = {
      {"reader before topic", {kReader, kTopic, kWriter, kSubscriber, kPublisher, kParticipant}},
      {"participant first", {kParticipant, kPublisher, kSubscriber, kTopic, kWriter, kReader}},
      {"topic first", {kTopic, kParticipant, kReader, kWriter, kPublisher, kSubscriber}},
      {"writer last", {kParticipant, kTopic, kReader, kSubscriber, kPublisher, kWriter}},
  };
  for (const auto& row : kOrders) {
    SCOPED_TRACE(row.name);
    dds::domain::DomainParticipant participant = LoopbackParticipant(84);
    dds::pub::Publisher publisher(participant);
    dds::sub::Subscriber subscriber(participant);
    dds::topic::Topic<LowCmd_> topic(participant, "ddscxx_lifetime_test");
    dds::pub::DataWriter<LowCmd_> writer(publisher, topic, KeepAllWriterQos());
    dds::sub::DataReader<LowCmd_> reader(subscriber, topic, KeepAllReaderQos());
    const dds_entity_t participant_handle = participant.native_handle();

    for (Handle handle : row.order) {
      switch (handle) {
        case kParticipant: participant = dds::core::null; break;
        case kPublisher: publisher = dds::core::null; break;
        case kSubscriber: subscriber = dds::core::null; break;
        case kTopic: topic = dds::core::null; break;
        case kWriter: writer = dds::core::null; break;
        case kReader: reader = dds::core::null; break;
      }
      if (writer != dds::core::null) {
        EXPECT_NO_THROW(writer.write(MakeCommand(1)));
      }
      if (reader != dds::core::null) {
        EXPECT_NO_THROW(reader.take());
      }
    }
    EXPECT_LT(dds_get_parent(participant_handle), 0);
  }
}

// The library refuses a second dds_create_domain for one id and deleting a domain
// deletes its participants: participants configured for the same id share the domain.
TEST(DomainRegistryTest, ConfiguredParticipantsShareTheDomainUntilTheLastGoes) {
  auto first = LoopbackParticipant(85);
  auto second = LoopbackParticipant(85);
  const dds_entity_t second_handle = second.native_handle();

  first = dds::core::null;
  dds::pub::Publisher publisher(second);
  dds::topic::Topic<LowCmd_> topic(second, "ddscxx_registry_test");
  dds::pub::DataWriter<LowCmd_> writer(publisher, topic);
  EXPECT_NO_THROW(writer.write(MakeCommand(3)));

  writer = dds::core::null;
  topic = dds::core::null;
  publisher = dds::core::null;
  second = dds::core::null;
  EXPECT_LT(dds_get_parent(second_handle), 0);
  EXPECT_NO_THROW(LoopbackParticipant(85));
}

// Like the process-wide channel factory: a static object that lets its participant go
// only at exit, after every static made later is gone. The sanitizer build reports it
// when that release touches a destroyed domain registry.
dds::domain::DomainParticipant participant_released_at_exit = dds::core::null;

TEST(DomainRegistryTest, ParticipantHeldByStaticObjectGoesAtExit) {
  participant_released_at_exit = LoopbackParticipant(89);
  dds::pub::Publisher publisher(participant_released_at_exit);
  EXPECT_NE(publisher, dds::core::null);
}

TEST(DomainRegistryTest, ConcurrentParticipantsOfOneDomainNeverCollide) {
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 10; ++i) {
        try {
          auto participant = LoopbackParticipant(86);
          dds::pub::Publisher publisher(participant);
        } catch (const dds::core::Exception&) {
          ++failures;
        }
      }
    });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace
