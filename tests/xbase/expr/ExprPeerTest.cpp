// Filters and evaluations in programs that share a table: peers (tools/peer) set filters, list
// what they see and evaluate expressions while another program appends.

#include <gtest/gtest.h>

#include "tests/xbase/expr/ExprTest.h"
#include "tests/xbase/multiprocess/PeerExpect.h"

namespace xbase {
namespace {

class ExprPeerTest : public ExprTest {};

TEST_F(ExprPeerTest, AFilterSeesWhatAnotherProgramAppends) {
  PeerGroup peers(temp.path());
  PeerProcess& a = peers.Start();
  PeerProcess& b = peers.Start();
  Expect(a, "filter AMT > 0", "-", 215);
  Expect(a, "use people", "PEOPLE");
  Expect(a, "filter AMT > 100 .AND. OK", "L");
  Expect(a, "list", "1,3");
  Expect(b, "use people", "PEOPLE");
  Expect(b, "alock", "1");
  Expect(b, "append NAME=ELK AMT=250 OK=T", "4");
  Expect(b, "append NAME=EMU AMT=250 OK=F", "5");
  Expect(b, "unlock", "-");
  Expect(a, "list", "1,3,4");
  Expect(a, "filter NAME = 'E' .OR. DELETED()", "L");
  Expect(a, "list", "3,4,5");
  Expect(a, "filter", "-");
  Expect(a, "list", "1,2,3,4,5");
  Expect(a, "filter AMT +", "-", 351);
  Expect(a, "list", "1,2,3,4,5");
  Expect(a, "filter AMT > 1000", "L");
  Expect(a, "list", "-");
}

TEST_F(ExprPeerTest, EvaluationsGiveTypedValues) {
  PeerGroup peers(temp.path());
  PeerProcess& peer = peers.Start();
  Expect(peer, "select 2", "2");
  Expect(peer, "use orders alias ORD", "ORD");
  Expect(peer, "select 1", "1");
  Expect(peer, "use people", "PEOPLE");
  Expect(peer, "eval NAME", "C 43415420202020202020");
  Expect(peer, "eval TRIM(NAME) + ORD->TAG", "C 434154412D312020");
  Expect(peer, "eval AMT * 2", "N 246.900000");
  Expect(peer, "eval BORN + 1", "D 2451546");
  Expect(peer, "eval OK .AND. QTY = 10", "L T");
  Expect(peer, "eval TRIM('  ')", "C -");
  Expect(peer, "eval 1 / 0 > 1", "L T", 358);
  Expect(peer, "eval NAME +", "-", 351);
  Expect(peer, "go 2", "2");
  Expect(peer, "eval STR(AMT, 6, 1) + DTOS(BORN)", "C 20202D352E303139393930323135");
}

// A memo written by one program through the memo store is read as a value by another.
TEST_F(ExprPeerTest, AMemoFieldGivesItsLinesJoined) {
  PeerGroup peers(temp.path());
  PeerProcess& writer = peers.Start();
  Expect(writer, "create notes.dbf 0x83 512 NAME:C:10 NOTES:M:10", "-");
  Expect(writer, "use notes EXCLUSIVE", "NOTES");
  Expect(writer, "append NAME=CAT", "1");
  Expect(writer, "memo-edit NOTES 41420D0A4344", "1");
  Expect(writer, "close", "-");
  PeerProcess& reader = peers.Start();
  Expect(reader, "use notes", "NOTES");
  Expect(reader, "go 1", "1");
  Expect(reader, "eval NOTES", "M 41424344");
}

}  // namespace
}  // namespace xbase
