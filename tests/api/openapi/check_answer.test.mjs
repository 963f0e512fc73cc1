// check_answer.mjs on hand-made answers: the good ones pass, each bad one
// fails with its reason.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test } from 'node:test';
import { fileURLToPath } from 'node:url';

const checker = fileURLToPath(new URL('check_answer.mjs', import.meta.url));
const folder = mkdtempSync(join(tmpdir(), 'answers-'));

const part = { index: 1, state: 'delivered', reference: '3f2a', detail: '' };
const recipient = {
  number: '+46701234567', number_typed: '0701234567', name: 'Anna Ek', text: 'Hej Anna!',
  state: 'delivered', detail: 'Message delivered.', sent: '2026-12-08T18:40:01Z',
  final: '2026-12-08T18:40:09Z', parts: [part],
};
const outgoing = {
  id: 'out-17', direction: 'out', text: 'Hej {name}!', created: '2026-12-08T18:40:00Z',
  send_at: null, receipt: true, encoding: 'GSM', parts: 1, state: 'ended', recipients: [recipient],
};
const incoming = {
  id: 'in-5', direction: 'in', from: '+46701234567', name: 'Anna Ek', text: 'Ja tack',
  encoding: 'GSM', parts: 2, received: '2026-12-08T18:41:00Z', centre_time: null, unread: true,
  flash: false,
};
const problem = (status, title, detail) => ({ type: 'about:blank', title, status, detail });
const json = 'application/json';
const problemJson = 'application/problem+json';

const cases = [
  // [method, path, status, content type, body, the reason when it is bad]
  ['GET', '/v1/health', '200', json, { status: 'ok' }],
  ['POST', '/v1/messages', '202', `${json}; charset=utf-8`, { ...outgoing, state: 'queued' }],
  ['GET', '/v1/messages/in-5', '200', json, incoming],
  ['GET', '/v1/messages?direction=in&limit=200', '200', json,
    { messages: [incoming, outgoing], next_cursor: 'b3V0LTE3' }],
  ['GET', '/v1/groups/V%C3%A4nner', '200', json,
    { name: 'Vänner', members: [{ name: 'Anna Ek', number: '0701234567' }] }],
  ['GET', '/v1/status', '200', json,
    { transport: 'SMPP', receiving: 'connected', queue: 0, sent_today: 12, per_day: null,
      sent_last_minute: 2, per_minute: 60 }],
  ['POST', '/v1/messages', '400', problemJson,
    { ...problem(400, 'Bad Request', 'Malformed JSON at line 1, column 14: …'), line: 1 }],
  ['POST', '/v1/messages', '429', problemJson, problem(429, 'Too Many Requests', 'Over 60 a minute')],
  ['GET', '/v1/messages/out-17', '200', json,
    { ...outgoing, recipients: [{ ...recipient, state: 'sent' }] }, '/recipients/0/state must be equal to one of the allowed values'],
  ['POST', '/v1/messages', '202', json, { ...outgoing, recipients: undefined },
    "must have required property 'recipients'"],
  ['GET', '/v1/messages/in-5', '200', json, { ...incoming, received: 'yesterday' },
    '/received must match format "date-time"'],
  ['GET', '/v1/health', '200', json, { status: 'ok', uptime: 3 }, 'must NOT have additional properties'],
  ['GET', '/v1/messages', '401', json, problem(401, 'Unauthorized', 'No token'),
    'content type application/json, the document has application/problem+json'],
  ['GET', '/v1/messages/out-17', '500', problemJson, problem(500, 'Internal Server Error', ''),
    'the document names no answer 500'],
  ['DELETE', '/v1/groups', '200', json, {}, '/v1/groups has no DELETE'],
  ['GET', '/v1/nothing', '200', json, {}, 'no path of the document matches /v1/nothing'],
  ['GET', '/v1/health', '200', json, '{"status": "ok"', 'the body is no JSON'],
];

for (const [method, path, status, type, body, reason] of cases) {
  test(`${method} ${path} ${status}${reason ? ' is refused' : ''}`, () => {
    const file = join(folder, 'body.json');
    writeFileSync(file, typeof body === 'string' ? body : JSON.stringify(body));
    const run = spawnSync(process.execPath, [checker, method, path, status, type, file], {
      encoding: 'utf8',
    });
    assert.equal(run.status, reason ? 1 : 0, run.stderr);
    if (reason) assert.match(run.stderr, new RegExp(reason.replace(/[.*+?^${}()|[\]\\]/g, '\\$&')));
  });
}
