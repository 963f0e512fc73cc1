#include "contacts/contact_import.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "phonebook/group_tables.h"
#include "phonebook/person_rule.h"
#include "platform/name_key.h"

namespace tolvane {
namespace {

// Progress is told, and a cancel looked for, after this many people.
constexpr int kProgressStep = 50;

// Thrown inside the transaction so that a cancel undoes it.
struct ImportCancelledSignal {};

// A group as the import fills it.
struct GroupFill {
  std::string name;  // as stored
  std::unique_ptr<RecordCursor> cursor;
  int members = 0;
  int left_out = 0;
};

class Importer {
 public:
  Importer(PhoneBookStore& store, const ImportPlan& plan) : store_(store), plan_(plan) {}

  void Run(const ImportProgress& progress, const ImportCancelled& cancelled) {
    people_ = store_.OpenCursor(kPhoneBookTable);
    for (const std::string& group : GroupNames(store_)) known_groups_[NameKey(group)] = group;
    const int total = static_cast<int>(plan_.people.size());
    for (int done = 0; done < total; ++done) {
      if (done % kProgressStep == 0) Tell(done, total, progress, cancelled);
      Bring(plan_.people[done]);
    }
    Tell(total, total, progress, cancelled);
  }

  ImportResult Result() {
    ImportResult result;
    result.added = added_;
    result.updated = updated_;
    std::vector<std::pair<int, std::string>> lines;
    for (const SkippedRow& row : plan_.skipped) lines.emplace_back(row.line, Detail(row));
    for (const SkippedRow& row : skipped_) lines.emplace_back(row.line, Detail(row));
    result.skipped = static_cast<int>(lines.size());
    lines.insert(lines.end(), notes_.begin(), notes_.end());
    std::stable_sort(lines.begin(), lines.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [line, text] : lines) result.details.push_back(std::move(text));
    for (const auto& [key, fill] : groups_) {
      if (fill.left_out == 0) continue;
      result.details.push_back("Group \"" + fill.name + "\": kept the first " +
                               std::to_string(kMaxGroupMembers) + " members, " +
                               std::to_string(fill.left_out) + " left out");
    }
    return result;
  }

 private:
  static std::string Detail(const SkippedRow& row) {
    std::string text = "Line " + std::to_string(row.line) + ": ";
    if (!row.name.empty()) text += row.name + ": ";
    return text + row.reason;
  }

  static void Tell(int done, int total, const ImportProgress& progress,
                   const ImportCancelled& cancelled) {
    if (progress) progress(done, total);
    if (cancelled && cancelled()) throw ImportCancelledSignal{};
  }

  void Bring(const PlannedPerson& person) {
    std::string name = person.name;
    if (people_->SeekName(name)) {
      switch (plan_.duplicates) {
        case DuplicateChoice::kSkip:
          skipped_.push_back({person.line, name, "already in the phone book"});
          return;
        case DuplicateChoice::kReplaceNumber:
          people_->Edit();
          people_->SetField(kFieldTelenummer, person.number);
          people_->Update();
          ++updated_;
          JoinGroups(person, people_->Field(kFieldNamn));
          return;
        case DuplicateChoice::kAddNumbered:
          name = FreeNumberedName(name);
          if (std::string refusal = PersonRefusal(name, person.number); !refusal.empty()) {
            skipped_.push_back({person.line, name, refusal});
            return;
          }
          break;
      }
    }
    people_->AddNew();
    people_->SetField(kFieldNamn, name);
    people_->SetField(kFieldTelenummer, person.number);
    people_->SetField(kFieldOperator, "1");
    people_->Update();
    ++added_;
    JoinGroups(person, name);
  }

  std::string FreeNumberedName(const std::string& name) {
    for (int number = 2;; ++number) {
      std::string candidate = NumberedName(name, number);
      if (!people_->SeekName(candidate)) return candidate;
    }
  }

  void JoinGroups(const PlannedPerson& person, const std::string& name) {
    for (const std::string& group : person.groups) {
      GroupFill* fill = Group(group, person);
      if (fill == nullptr || fill->cursor->SeekName(name)) continue;
      if (fill->members >= kMaxGroupMembers) {
        ++fill->left_out;
        continue;
      }
      fill->cursor->AddNew();
      fill->cursor->SetField(kFieldNamn, name);
      fill->cursor->SetField(kFieldTelenummer, person.number);
      fill->cursor->SetField(kFieldOperator, "1");
      fill->cursor->Update();
      ++fill->members;
    }
  }

  // The group of that name, made when missing; nothing when it cannot be
  // made (a name the database keeps for itself), which is noted once.
  GroupFill* Group(const std::string& group, const PlannedPerson& person) {
    const std::string key = NameKey(group);
    if (auto found = groups_.find(key); found != groups_.end()) return &found->second;
    if (unmade_groups_.count(key) != 0) return nullptr;
    GroupFill fill;
    if (auto known = known_groups_.find(key); known != known_groups_.end()) {
      fill.name = known->second;
      fill.members = static_cast<int>(MemberNames(store_, fill.name).size());
    } else {
      try {
        if (SameName(group, kPhoneBookTable)) {
          throw StoreError(kStoreErrorTableExists, "the phone book's own table");
        }
        store_.CreateTable(group);
      } catch (const StoreError& error) {
        if (error.number() == kStoreErrorDiskFull) throw;
        unmade_groups_.insert(key);
        notes_.emplace_back(person.line, "Line " + std::to_string(person.line) + ": the group \"" +
                                             group + "\" cannot be made");
        return nullptr;
      }
      fill.name = group;
    }
    fill.cursor = store_.OpenCursor(fill.name);
    return &groups_.emplace(key, std::move(fill)).first->second;
  }

  PhoneBookStore& store_;
  const ImportPlan& plan_;
  std::unique_ptr<RecordCursor> people_;
  std::map<std::string, std::string> known_groups_;  // by NameKey
  std::map<std::string, GroupFill> groups_;          // by NameKey
  std::set<std::string> unmade_groups_;              // by NameKey, noted once
  std::vector<SkippedRow> skipped_;
  // What went wrong beside a person brought in, by line.
  std::vector<std::pair<int, std::string>> notes_;
  int added_ = 0;
  int updated_ = 0;
};

std::string FailureText(const StoreError& error) {
  if (error.number() == kStoreErrorDiskFull) return "Disk full!";
  return std::string(error.what()) + " (error " + std::to_string(error.number()) + ").";
}

}  // namespace

ImportResult ApplyImport(PhoneBookStore& store, const ImportPlan& plan,
                         const ImportProgress& progress, const ImportCancelled& cancelled) {
  Importer importer(store, plan);
  try {
    store.AllOrNothing([&] { importer.Run(progress, cancelled); });
  } catch (const ImportCancelledSignal&) {
    ImportResult result;
    result.cancelled = true;
    return result;
  } catch (const StoreError& error) {
    ImportResult result;
    result.failure = FailureText(error);
    return result;
  }
  return importer.Result();
}

}  // namespace tolvane
